// Opening documents in a chosen program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/plugin/files/easyfile/easyfile_support.h"

namespace {

TEST(OpenInApp, StartsTheProgramWithTheDocumentsPath) {
  TempFolder folder;
  const std::string document = folder.Write("doc.txt", "hello");
  const std::string marker = folder.File("opened");
  const std::string app = folder.Write("viewer.sh", "#!/bin/sh\nprintf '%s' \"$1\" > '" + marker + ".tmp' && mv '" +
                                                       marker + ".tmp' '" + marker + "'\n");
  ASSERT_EQ(chmod(app.c_str(), 0700), 0);
  const FSRef appRef = RefFor(app);
  ASSERT_EQ(OpenDocumentInSpecificApp(RefFor(document), &appRef), noErr);
  for (int i = 0; i < 500 && access(marker.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ReadAll(marker), document);
}

TEST(OpenInApp, RefusesWhatCannotRunOrDoesNotExist) {
  TempFolder folder;
  const std::string document = folder.Write("doc.txt", "hello");
  const FSRef notAProgram = RefFor(folder.Write("plain.sh", "#!/bin/sh\n"));
  EXPECT_EQ(OpenDocumentInSpecificApp(RefFor(document), &notAProgram), kLSApplicationNotFoundErr);
  const FSRef aFolder = RefFor(folder.Path());
  EXPECT_EQ(OpenDocumentInSpecificApp(RefFor(document), &aFolder), kLSApplicationNotFoundErr);
  EXPECT_EQ(OpenDocumentInSpecificApp(RefFor(folder.File("missing.txt")), &notAProgram), fnfErr);
  EXPECT_EQ(OpenDocumentInSpecificApp(RefFor(folder.File("missing.txt")), nullptr), fnfErr);
}

}  // namespace
