// SPDX-License-Identifier: GPL-3.0-or-later
// What the Open and Save As dialogs are asked with: the names they list and where they start.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "document/PictureFiles.h"
#include "platform/qt/QtDialogs.h"

#include <QRegularExpression>

#include <filesystem>

namespace gs {
namespace {

// Whether a Qt name filter "Description (*.a *.b)" lists the name, matching the letter case as
// the desktop's own dialogs may.
bool Lists(const QString& nameFilter, const QString& name) {
  const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
  const QStringList patterns = nameFilter.mid(open + 1).chopped(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  return std::any_of(patterns.begin(), patterns.end(), [&](const QString& pattern) {
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch();
  });
}

TEST(FileDialogs, OpenListsEveryNameTheEditorOpensUnderAllAndUnderItsKind) {
  const QStringList filters = QtNameFilters(OpenPictureFilter()).split(QStringLiteral(";;"));
  for (const char* name : {"photo.jpeg", "photo.jpg", "IMG_0001.JPG", "SCAN.JPEG", "a.gif", "A.GIF", "b.png",
                           "B.PNG", "c.bmp", "C.BMP", "d.mfk", "D.MFK", "e.webp", "IMG_0002.HEIC", "f.heif",
                           "g.avif"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(OpensAsPicture(name)) << "the editor does not open it";
    EXPECT_TRUE(Lists(filters.front(), QString::fromLatin1(name)));
    EXPECT_EQ(std::count_if(filters.begin() + 1, filters.end(),
                            [&](const QString& filter) { return Lists(filter, QString::fromLatin1(name)); }),
              1);
  }
}

class SaveDialogsTest : public test::TStudioFixture {};

TEST_F(SaveDialogsTest, SaveAsStartsWithTheDocumentsFolderNameAndKind) {
  std::filesystem::create_directories(Dir_.Path("photos"));
  const TBitmap32 picture = test::Stripes(16, 12);
  const struct {
    const char* Document;
    TBytes Bytes;
    const char* Offered;
    int Kind;  // JPEG, Bitmaps, PDF, GIF, PNG
  } cases[] = {
      {"photos/holiday.jpeg", EncodeJpeg(picture), "holiday.jpeg", 0},
      {"photos/Scan.PNG", EncodePng(picture, std::nullopt), "Scan.PNG", 4},
      {"photos/face.bmp", EncodeBmp32(picture), "face.bmp", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Document);
    WriteFileBytes(Dir_.Path(c.Document), c.Bytes);
    Run(std::string("open ") + Dir_.Path(c.Document) + "\n");
    Dialogs_.AnswerFile(std::nullopt);
    Trigger("saveas1");
    const TFileDialogRequest& request = Dialogs_.FileRequests().back();
    EXPECT_EQ(request.InitialDir, Dir_.Path("photos"));
    EXPECT_EQ(request.FileName, c.Offered);
    EXPECT_EQ(request.Filter, SavePictureFilter(true));
    EXPECT_EQ(request.FilterIndex, c.Kind);
  }
}

TEST_F(SaveDialogsTest, SavingAPhotoOfAKindThatOnlyOpensAsksForAName) {
  std::filesystem::copy_file(std::filesystem::path(GS_SOURCE_DIR) / "../tests/data/formats/lossy.heic", Dir_.Path("phone.heic"));
  Run("open " + Dir_.Path("phone.heic") + "\n");
  EXPECT_EQ(Doc().ImageWidth(), 48);
  Dialogs_.AnswerFile(Dir_.Path("phone.webp"));
  Trigger("mSaveImage");
  ASSERT_EQ(Dialogs_.FileRequests().size(), 2u);  // the open, then Save As
  EXPECT_EQ(Dialogs_.FileRequests().back().Title, "Save As");
  EXPECT_EQ(Dialogs_.FileRequests().back().FileName, "phone.bmp");
  EXPECT_TRUE(Dialogs_.Messages().empty());
  EXPECT_TRUE(FileExists(Dir_.Path("phone.webp")));
  EXPECT_EQ(Doc().DocumentFileName(), Dir_.Path("phone.webp"));
}

TEST_F(SaveDialogsTest, TheAnimationIsSavedBesideItsPhotoAtFirst) {
  std::filesystem::create_directories(Dir_.Path("photos"));
  WriteFileBytes(Dir_.Path("photos/face.bmp"), EncodeBmp32(test::Stripes(96, 72)));
  Run("open " + Dir_.Path("photos/face.bmp") + "\ntool warp\nsize 40\nstroke 30,30 hold 6\n");
  // Ok with no file chosen asks for one; the answer leaves the dialog unconfirmed.
  Dialogs_.AnswerForm(TFormAnswer{"Animate Caricature", {}, true});
  Dialogs_.AnswerFile(std::nullopt);
  Trigger("mAnimateCaricature");
  ASSERT_FALSE(Dialogs_.FileRequests().empty());
  EXPECT_EQ(Dialogs_.FileRequests().back().Title, "Save Animation As");
  EXPECT_EQ(Dialogs_.FileRequests().back().InitialDir, Dir_.Path("photos"));
}

}  // namespace
}  // namespace gs
