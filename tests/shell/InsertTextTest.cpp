// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/InsertTextDialog.h"

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "document/Layers.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <vector>

using namespace gs;

namespace {

constexpr TColor kRed = 0x0000FF;  // Windows colour values
constexpr TColor kGreen = 0x00FF00;

// The scripted answers, except that the colour dialog notes where it started and, when
// ShowForms is set, a form is shown for real as to a person.
class TWatchedDialogs : public TScriptedDialogs {
public:
  bool ShowForms = false;
  std::vector<TColor> ColorStarts;

  std::vector<QString> TextsShown;  // what the Insert Text field held as the form came up

  bool RunForm(TModalForm& form) override {
    if (auto* text = dynamic_cast<TForm1*>(&form)) TextsShown.push_back(text->Edit1->text());
    return ShowForms ? form.ShowModal() : TScriptedDialogs::RunForm(form);
  }
  std::optional<TColor> ChooseColor(TColor initial) override {
    ColorStarts.push_back(initial);
    return TScriptedDialogs::ChooseColor(initial);
  }
};

class InsertTextTest : public test::TStudioFixture {
protected:
  InsertTextTest() {
    WriteFileBytes(Dir_.Path("photo.bmp"), EncodeBmp32(TBitmap32(200, 160, 0xFF3060A0)));
    Run("open " + Dir_.Path("photo.bmp") + "\nzoom original\n");
    Font_ = Studio_->TextFont();
    Font_.PointSize = 20;
  }
  ~InsertTextTest() override { SetDialogs(&Dialogs_); }

  void Watch() { SetDialogs(&Watched_); }
  TForm1& Form() { return *Child<TForm1>("Form1"); }
  const TBitmap32& Layer(size_t i) { return Doc().Layers().at(i)->Bitmap; }

  // Every pixel the text touches carries the ink colour; edges differ only in alpha.
  static void ExpectInk(const TBitmap32& b, TColor color) {
    int inked = 0;
    int stray = 0;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        if (AlphaOf(b.Pixel(x, y)) == 0) continue;
        ++inked;
        stray += RgbOf(b.Pixel(x, y)) != RgbOf(WinColorToColor32(color));
      }
    EXPECT_GT(inked, 20);
    EXPECT_EQ(stray, 0);
  }

  TWatchedDialogs Watched_;
  TFontChoice Font_;
};

}  // namespace

TEST_F(InsertTextTest, TextIsInkedInTheColourOfTheDialogsButtonWhichStaysForTheNextText) {
  Watch();
  Watched_.AnswerFont(Font_);
  Watched_.AnswerColor(kRed);
  Watched_.AnswerForm(TFormAnswer{"Insert Text", {{"Color", ""}, {"Text", "Hi"}}, true});
  Trigger("Text1");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  ExpectInk(Layer(0), kRed);
  auto* button = Form().findChild<QToolButton*>();
  ASSERT_NE(button, nullptr);
  const QImage swatch = button->icon().pixmap(button->iconSize()).toImage();
  EXPECT_EQ(swatch.pixelColor(swatch.width() / 2, swatch.height() / 2), QColor(Qt::red));

  // The colour dialog cancelled the second time: the text keeps the colour of the first.
  Watched_.AnswerFont(Font_);
  Watched_.AnswerColor(std::nullopt);
  Watched_.AnswerForm(TFormAnswer{"Insert Text", {{"Color", ""}, {"Text", "Ho"}}, true});
  Trigger("Text1");
  ASSERT_EQ(Doc().Layers().size(), 2u);
  ExpectInk(Layer(1), kRed);
  EXPECT_EQ(Watched_.ColorStarts, (std::vector<TColor>{0, kRed}));

  // A failing colour dialog behind the real button becomes a message, not an escaped exception.
  button->click();
  EXPECT_EQ(Watched_.Messages(), std::vector<std::string>{"Nobody answered the colour dialog"});

  SetDialogs(&Dialogs_);
  Run("text 20 #00FF00 | Go\ntext 20 | On\n");
  ASSERT_EQ(Doc().Layers().size(), 4u);
  ExpectInk(Layer(2), kGreen);
  ExpectInk(Layer(3), kGreen);
}

TEST_F(InsertTextTest, ShownDialogHasAFixedSizeAndEscapeCancelsIt) {
  Watch();
  Watched_.ShowForms = true;
  bool fixed = false;
  QTimer::singleShot(0, &Form(), [&] {
    fixed = Form().minimumSize() == Form().maximumSize() && Form().size() == Form().minimumSize();
    Form().Edit1->setText(QStringLiteral("Hi"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(Form().Edit1, &escape);
  });
  // Should Escape not close it, the test fails instead of waiting for ever.
  QTimer::singleShot(3000, &Form(), [&] { Form().done(QDialog::Accepted); });
  Watched_.AnswerFont(Font_);
  Trigger("Text1");
  EXPECT_TRUE(fixed);
  EXPECT_FALSE(Form().isVisible());
  EXPECT_TRUE(Doc().Layers().empty());
}

TEST_F(InsertTextTest, TextStaysEditableInPlaceAsOneStepUntilMerged) {
  Run("text 20 #00FF00 | Hi\n");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  TRotatableLayer& layer = *Doc().Layers()[0];
  layer.Location = TFloatRect{20, 30, 20 + layer.Bitmap.Width() * 2.0, 30 + layer.Bitmap.Height() * 2.0};
  const TFloatRect placed = layer.Location;
  const TBitmap32 hi = layer.Bitmap;
  const int steps = Doc().History.Count();

  // A double click on it opens the dialog on its line and its ink.
  Watch();
  Watched_.AnswerColor(kRed);
  Watched_.AnswerForm(TFormAnswer{"Insert Text", {{"Color", ""}, {"Text", "Hello"}}, true});
  const QPoint middle = Studio_->PictureToView(TPointF{(placed.Left + placed.Right) / 2, (placed.Top + placed.Bottom) / 2});
  QTest::mouseDClick(View(), Qt::LeftButton, Qt::NoModifier, middle);
  EXPECT_EQ(Watched_.TextsShown, std::vector<QString>{QStringLiteral("Hi")});
  EXPECT_EQ(Watched_.ColorStarts, std::vector<TColor>{kGreen});

  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(Doc().Layers()[0].get(), &layer);
  ExpectInk(layer.Bitmap, kRed);
  EXPECT_GT(layer.Bitmap.Width(), hi.Width());
  EXPECT_DOUBLE_EQ(layer.Location.Left + layer.Location.Right, placed.Left + placed.Right);
  EXPECT_DOUBLE_EQ(layer.Location.Width(), layer.Bitmap.Width() * 2.0);
  EXPECT_EQ(Doc().LayerRecords()[0].Picture, layer.Bitmap);
  ASSERT_EQ(Doc().History.Count(), steps + 1);
  EXPECT_EQ(Doc().History.Step(steps + 1).Name, "Edit Text");

  // One step back brings the line and its picture back, still editable.
  Trigger("StepBackward1");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(Doc().Layers()[0]->Bitmap, hi);
  ASSERT_TRUE(Doc().Layers()[0]->Text.has_value());
  EXPECT_EQ(Doc().Layers()[0]->Text->Text, "Hi");
  EXPECT_EQ(Doc().Layers()[0]->Text->Color, kGreen);
  QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, middle);
  EXPECT_TRUE(Command("EditText1")->isEnabled());

  // Clipart is no text: nothing to edit.
  WriteFileBytes(Dir_.Path("art.bmp"), EncodeBmp32(TBitmap32(20, 10, 0xFF00C000)));
  SetDialogs(&Dialogs_);
  Run("clipart " + Dir_.Path("art.bmp") + "\n");
  EXPECT_FALSE(Command("EditText1")->isEnabled());
}
