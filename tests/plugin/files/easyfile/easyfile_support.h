// Files, Pascal strings and dialog answering for the EasyFile tests.
#pragma once

#include <QFileDialog>
#include <functional>
#include <string>
#include <vector>

#include "plugin/files/easy_file.h"
#include "tests/platform/files/temp_dir.h"

// Writes the bytes to a new file in `folder` and returns its path.
std::string Write(const TempDir& folder, const std::string& name, const std::string& bytes);
std::string ReadAll(const std::string& path);
// A short string of the text.
std::vector<unsigned char> PString(const std::string& text);
std::string FromPString(const unsigned char* text);
FSSpec SpecFor(const std::string& path);
FSRef RefFor(const std::string& path);

// The next modal file dialog is handed to `answer` as soon as it shows, and
// again every 10 ms until `answer` returns true (the dialog loads its folder
// in the background, so a selection may need a few tries). Makes the
// QApplication when needed.
void AnswerNextFileDialog(std::function<bool(QFileDialog*)> answer);
