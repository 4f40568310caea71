// Saving where the disk refuses: full, read-only, or losing the data on its way down. The
// message gives the Japanese reason for the file being saved, and nothing is left behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <optional>
#include <utility>

#include "platform/error_texts.h"
#include "platform/file_list.h"
#include "platform/file_system.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "platform/picture_io.h"
#include "savehelp/save_image.h"
#include "tests/support/fault.h"
#include "tests/support/fs_helpers.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using test::ScopedFault;

// A folder on show with a picture to save, and the dialogs' scripted answers.
class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ScopedFault::ShimLoaded()) << "the fault shim is not preloaded";
        ASSERT_TRUE(Dir1.SetPath(folder));
        Picture2.SetPicture(test::GradientPicture(33, 17));
    }
    void Save() {
        SaveImage(
            SaveImageContext{DirCancel, &Dir1, &File1, &Picture2, dialogs, nullptr, {}, choice});
    }

    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).canonicalPath();
    FolderList Dir1;
    FileList File1;
    PictureBox Picture2;
    ScriptedDialogService dialogs;
    bool DirCancel = true;
    SaveChoice choice;
};

TEST_F(SaveFaults, EveryRefusalIsSaidInJapaneseAndLeavesNothing) {
    const struct {
        const char* call;
        int error;
        bool unnamedFiles;  // false: the file system offers no O_TMPFILE
    } faults[] = {
        {"write", ENOSPC, true}, {"write", ENOSPC, false}, {"open_tmpfile", EROFS, true},
        {"fsync", EIO, true},    {"fsync", EDQUOT, false}, {"link", EMLINK, true},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(std::string(fault.call) + (fault.unnamedFiles ? "" : " without O_TMPFILE"));
        dialogs.messages.clear();
        dialogs.saveAnswers.push_back(folder + QStringLiteral("/photo"));
        {
            ScopedFault refused(fault.call, fault.error, NativeOf(folder));
            std::optional<ScopedFault> noTmpfile;
            if (!fault.unnamedFiles)
                noTmpfile.emplace("open_tmpfile", EOPNOTSUPP, NativeOf(folder));
            Save();
        }
        EXPECT_EQ(dialogs.messages,
                  QStringList{QStringLiteral("保存できませんでした: ") + folder +
                              QStringLiteral("/photo.BMP\n") + ErrorText(fault.error)});
        EXPECT_EQ(test::Entries(NativeOf(folder)), QStringList());
    }
    // And without faults, both ways give the whole file.
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/photo"));
    Save();
    {
        ScopedFault noTmpfile("open_tmpfile", EOPNOTSUPP, NativeOf(folder));
        dialogs.saveAnswers.push_back(folder + QStringLiteral("/named"));
        Save();
    }
    EXPECT_EQ(test::Entries(NativeOf(folder)), (QStringList{"named.BMP", "photo.BMP"}));
    EXPECT_EQ(test::ReadFile(NativeOf(folder + "/named.BMP")),
              test::ReadFile(NativeOf(folder + "/photo.BMP")));
    EXPECT_EQ(ReadPicture(folder + "/photo.BMP").image, Picture2.Image());
}

TEST_F(SaveFaults, JpegAndPngMeetRefusalsAsTheBmpDoes) {
    const struct {
        const char* call;
        int error;
    } faults[] = {{"write", ENOSPC}, {"open_tmpfile", EROFS}, {"fsync", EIO}};
    for (const auto& [label, extension] :
         {std::pair{kJpegFilterLabel, ".JPG"}, std::pair{kPngFilterLabel, ".PNG"}}) {
        for (const auto& fault : faults) {
            SCOPED_TRACE(std::string(fault.call) + extension);
            dialogs.messages.clear();
            dialogs.saveAnswers.push_back(folder + QStringLiteral("/photo"));
            dialogs.filterAnswers.push_back(label);
            {
                ScopedFault refused(fault.call, fault.error, NativeOf(folder));
                Save();
            }
            EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("保存できませんでした: ") +
                                                    folder + QStringLiteral("/photo") + extension +
                                                    QLatin1Char('\n') + ErrorText(fault.error)});
            EXPECT_EQ(test::Entries(NativeOf(folder)), QStringList());
        }
    }
}

}  // namespace
}  // namespace sorvenal
