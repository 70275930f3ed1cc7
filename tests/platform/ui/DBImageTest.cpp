#include "TestForms.h"
#include "platform/db/PeopleDatabase.h"

#include <QTest>
#include <db/DataSource.h>
#include <db/DbClasses.h>
#include <db/Field.h>
#include <db/FieldDefs.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Streaming.h>
#include <ui/Clipbrd.h>
#include <ui/DBCtrls.h>
#include <ui/UiClasses.h>

namespace {

// A 16x8 picture of one colour, as the bytes of a Format file.
QByteArray PictureBytes(TColor Color, const char* Format) {
    TBitmap bitmap;
    bitmap.SetSize(16, 8);
    bitmap.Canvas()->Brush()->SetColor(Color);
    bitmap.Canvas()->FillRect(QRect(0, 0, 16, 8));
    return bitmap.SaveToBytes(Format);
}

// A shown form with an image of the Photo field of a Photo table whose records are
// "red" (a PNG), "damaged" (bytes of no picture), "none" (null) and "blue" (a BMP); the
// table is on its first record.
class DBImage : public ::testing::Test {
protected:
    DBImage() {
        RegisterDbClasses();
        std::unique_ptr<TTable> create(Database.NewTable(QStringLiteral("Photo.db")));
        create->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
        create->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        create->FieldDefs()->Add(QStringLiteral("Photo"), ftGraphic);
        create->CreateTable();

        Photos = Database.NewTable(QStringLiteral("Photo"), &Form);
        Source->SetDataSet(Photos);
        Photos->Open();
        const std::pair<const char*, Variant> rows[] = {
            {"red", PictureBytes(clRed, "PNG")},
            {"damaged", QByteArray("\x89PNG\r\n\x1a\n and nothing a picture holds")},
            {"none", Null()},
            {"blue", PictureBytes(clBlue, "BMP")},
        };
        for (const auto& [name, photo] : rows) {
            Photos->Append();
            Photos->FieldByName(QStringLiteral("Name"))->SetAsString(QString::fromLatin1(name));
            Photos->FieldByName(QStringLiteral("Photo"))->SetValue(photo);
            Photos->Post();
        }
        Photos->First();

        Form.SetBounds(0, 0, 300, 200);
        Image->SetParent(&Form);
        Image->SetBounds(10, 10, 100, 100);
        Image->SetDataSource(Source);
        Image->SetDataField(QStringLiteral("Photo"));
        Other->SetParent(&Form);
        Other->SetLeft(150);
        Form.Show();
        Activate(&Form);
    }
    ~DBImage() override {
        if (Photos->IsEditing())
            Photos->Cancel();
    }

    void Focus(TWinControl* Control) {
        Control->SetFocus();
        ProcessEvents();
    }
    void Press(Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(Image->Widget(), Key, Modifiers);
    }
    QColor ShownAt(int X, int Y) const {
        return Image->Widget()->grab().toImage().pixelColor(X, Y);
    }
    // The colour near the top-left corner of the image's picture; invalid when it has none.
    QColor PictureColour() const {
        TGraphic* graphic = Image->Picture()->Graphic();
        if (!graphic)
            return QColor();
        return Image->Picture()->Bitmap()->Image().pixelColor(2, 2);
    }
    TField* Photo() const { return Photos->FieldByName(QStringLiteral("Photo")); }

    TPeopleDatabase Database;
    TForm Form;
    TDataSource* Source = new TDataSource(&Form);
    TTable* Photos = nullptr;
    TDBImage* Image = new TDBImage(&Form);
    TEdit* Other = new TEdit(&Form);
};

} // namespace

TEST_F(DBImage, FollowsTheRecordAndShowsNothingForADamagedPicture) {
    EXPECT_EQ(PictureColour(), QColor(Qt::red));
    EXPECT_EQ(ShownAt(50, 50), QColor(Qt::red)) << "a centred picture";
    EXPECT_NE(ShownAt(5, 5), QColor(Qt::red));

    Photos->Next();
    EXPECT_TRUE(Image->PictureDamaged());
    EXPECT_FALSE(Image->Picture()->Graphic());
    EXPECT_NE(ShownAt(50, 50), QColor(Qt::red)) << "the former picture is gone";

    Photos->Next();
    EXPECT_FALSE(Image->PictureDamaged());
    EXPECT_FALSE(Image->Picture()->Graphic());

    Photos->Next();
    EXPECT_EQ(PictureColour(), QColor(Qt::blue)) << "BMP bytes are read too";

    Image->SetDataField(QStringLiteral("Name"));
    EXPECT_TRUE(Image->PictureDamaged()) << "text is no picture";
    Image->SetDataField(QStringLiteral("Photo"));
    Image->SetStretch(true);
    EXPECT_EQ(ShownAt(5, 5), QColor(Qt::blue)) << "a stretched picture fills the control";
}

TEST_F(DBImage, WithoutAutoDisplayThePictureWaitsForLoadPicture) {
    Image->SetAutoDisplay(false);
    Photos->Next();
    Photos->First();
    EXPECT_FALSE(Image->Picture()->Graphic());
    Focus(Image);
    Press(Qt::Key_Return);
    EXPECT_EQ(PictureColour(), QColor(Qt::red));

    Photos->Last();
    EXPECT_FALSE(Image->Picture()->Graphic());
    QTest::mouseDClick(Image->Widget(), Qt::LeftButton);
    EXPECT_EQ(PictureColour(), QColor(Qt::blue));

    Photos->Prior();
    Image->LoadPicture();
    EXPECT_FALSE(Image->Picture()->Graphic());
    Image->SetAutoDisplay(true);
    Photos->First();
    EXPECT_EQ(PictureColour(), QColor(Qt::red)) << "on again, records show at once";
}

TEST_F(DBImage, PastingEditsTheRecordAndTheFieldGetsPng) {
    TBitmap green;
    green.SetSize(4, 4);
    green.Canvas()->Brush()->SetColor(clLime);
    green.Canvas()->FillRect(QRect(0, 0, 4, 4));
    Clipboard()->Assign(&green);
    Focus(Image);

    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Photos->State(), dsEdit);
    EXPECT_EQ(Image->Picture()->Width(), 4);
    EXPECT_EQ(Photo()->AsBytes(), PictureBytes(clRed, "PNG")) << "the field waits";
    Focus(Other);
    EXPECT_TRUE(Photo()->AsBytes().startsWith("\x89PNG"));
    Photos->Post();

    Photos->Next();
    Photos->Prior();
    EXPECT_EQ(Image->Picture()->Width(), 4) << "the pasted picture was stored";
    EXPECT_EQ(PictureColour(), QColor(Qt::green));

    Focus(Image);
    Press(Qt::Key_Escape);
    Press(Qt::Key_Delete);
    EXPECT_FALSE(Image->Picture()->Graphic());
    Press(Qt::Key_Escape);
    EXPECT_EQ(Image->Picture()->Width(), 4) << "Escape shows the field's picture again";
    Photos->Cancel();
}

TEST_F(DBImage, CopyAndCutGoThroughTheClipboardAndReadOnlyKeepsTheField) {
    Clipboard()->Clear();
    Focus(Image);
    Press(Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    TBitmap copied;
    copied.Assign(Clipboard());
    EXPECT_EQ(copied.Image().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(Photos->State(), dsBrowse) << "copying does not edit";

    Image->SetReadOnly(true);
    Press(Qt::Key_X, Qt::ControlModifier);
    Photos->Last();
    Image->PasteFromClipboard();
    EXPECT_EQ(Photos->State(), dsBrowse);
    EXPECT_EQ(PictureColour(), QColor(Qt::blue));

    Image->SetReadOnly(false);
    Photos->First();
    Image->CutToClipboard();
    EXPECT_EQ(Photos->State(), dsEdit);
    EXPECT_FALSE(Image->Picture()->Graphic());
    Photos->Post();
    EXPECT_TRUE(Photo()->IsNull()) << "an empty picture empties the field";
    Photos->Last();
    Image->PasteFromClipboard();
    EXPECT_EQ(PictureColour(), QColor(Qt::red)) << "the cut picture is on the clipboard";
    Photos->Cancel();
    EXPECT_EQ(PictureColour(), QColor(Qt::blue));
}

TEST_F(DBImage, FormFilesKeepThePlacementButNotThePicture) {
    RegisterUiClasses();
    Form.SetName(QStringLiteral("PhotoForm"));
    Source->SetName(QStringLiteral("PhotoSource"));
    Image->SetName(QStringLiteral("Image1"));
    Image->SetProportional(true);
    Image->SetAutoDisplay(false);
    const QString text = WriteComponentToText(Image, &Form);
    EXPECT_FALSE(text.contains(QStringLiteral("Picture"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("AutoDisplay = False"))) << text.toStdString();
}
