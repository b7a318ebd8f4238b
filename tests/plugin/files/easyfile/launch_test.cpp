// Opening documents in a chosen program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/plugin/files/easyfile/easyfile_support.h"

namespace {

TEST(OpenInApp, StartsTheProgramWithTheDocumentsPathAndRefusesWhatCannotRun) {
  TempDir folder;
  const std::string document = Write(folder, "doc.txt", "hello"), marker = folder / "opened";
  const std::string app = Write(folder, "viewer.sh", "#!/bin/sh\nprintf '%s' \"$1\" > '" + marker + ".tmp' && mv '" +
                                                         marker + ".tmp' '" + marker + "'\n");
  ASSERT_EQ(chmod(app.c_str(), 0700), 0);
  const FSRef appRef = RefFor(app);
  ASSERT_EQ(OpenDocumentInSpecificApp(RefFor(document), &appRef), noErr);
  for (int i = 0; i < 500 && access(marker.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ReadAll(marker), document);

  const FSRef notAProgram = RefFor(Write(folder, "plain.sh", "#!/bin/sh\n")), aFolder = RefFor(folder.path());
  EXPECT_EQ(OpenDocumentInSpecificApp(RefFor(document), &notAProgram), kLSApplicationNotFoundErr);
  EXPECT_EQ(OpenDocumentInSpecificApp(RefFor(document), &aFolder), kLSApplicationNotFoundErr);
  EXPECT_EQ(OpenDocumentInSpecificApp(RefFor(folder / "missing.txt"), &notAProgram), fnfErr);
  EXPECT_EQ(OpenDocumentInSpecificApp(RefFor(folder / "missing.txt"), nullptr), fnfErr);
}

}  // namespace
