// A file written beside its final name and renamed into place only when it
// is complete, so a failed run never leaves a half-written output and never
// harms an older file of that name.
#pragma once

#include <string>

namespace vmhost {

class TempFile {
 public:
  TempFile() = default;
  // Removes the file unless it was committed.
  ~TempFile();
  TempFile(TempFile&& other) noexcept;
  TempFile& operator=(TempFile&& other) noexcept;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Creates an empty, uniquely named hidden file in the folder of
  // `finalPath`, keeping its extension. On failure returns false with
  // `error` naming `finalPath` and the reason.
  bool create(const std::string& finalPath, std::string& error);
  const std::string& path() const { return path_; }
  // Renames the file over its final name.
  bool commit(std::string& error);

 private:
  void discard();
  std::string path_;
  std::string finalPath_;
};

}  // namespace vmhost
