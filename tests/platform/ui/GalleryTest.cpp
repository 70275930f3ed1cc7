#include "TestForms.h"

#include <GalleryForm.h>
#include <QSet>
#include <db/DataSet.h>
#include <gtest/gtest.h>
#include <ui/DBCtrls.h>

namespace {

// Every class of control, menu and dialog the gallery must show.
const char* const GalleryClasses[] = {
    "TLabel",
    "TEdit",
    "TMaskEdit",
    "TMemo",
    "TButton",
    "TBitBtn",
    "TSpeedButton",
    "TCheckBox",
    "TRadioButton",
    "TRadioGroup",
    "TGroupBox",
    "TComboBox",
    "TListBox",
    "TPanel",
    "TBevel",
    "TImage",
    "TScrollBox",
    "TPageControl",
    "TTabSheet",
    "TSpinEdit",
    "TSpinButton",
    "TMainMenu",
    "TPopupMenu",
    "TMenuItem",
    "TOpenDialog",
    "TSaveDialog",
    "TFontDialog",
    "TPrintDialog",
    "TPrinterSetupDialog",
    "TRichEdit",
    "TDBEdit",
    "TDBText",
    "TDBMemo",
    "TDBCheckBox",
    "TDBComboBox",
    "TDBNavigator",
    "TDBImage",
    "TDBLookupComboBox",
    "TDBRichEdit",
    "TDBGrid",
};

class Gallery : public ::testing::Test {
protected:
    Gallery() { RegisterGalleryClasses(); }

    TGalleryDatabase Database;
    TGalleryForm Form;
};

// The controls of Parent, but bevels, that overlap a sibling.
QStringList Overlapping(TWinControl* Parent) {
    QStringList result;
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        TControl* control = Parent->Controls(i);
        if (auto* child = qobject_cast<TWinControl*>(control))
            result += Overlapping(child);
        if (control->inherits("TBevel"))
            continue;
        for (int j = i + 1; j < Parent->ControlCount(); ++j) {
            TControl* other = Parent->Controls(j);
            if (!other->inherits("TBevel") && control->BoundsRect().intersects(other->BoundsRect()))
                result << control->Name() + QStringLiteral(" and ") + other->Name();
        }
    }
    return result;
}

} // namespace

TEST_F(Gallery, TheFormFileHoldsEveryKindOfControl) {
    QSet<QString> present;
    for (int i = 0; i < Form.ComponentCount(); ++i)
        present.insert(Form.Components(i)->ClassName());
    for (const char* name : GalleryClasses)
        EXPECT_TRUE(present.contains(QString::fromLatin1(name))) << name << " is missing";
    EXPECT_TRUE(Form.Menu());
}

TEST_F(Gallery, ControlsDoNotOverlapAndTheDataControlsShowTheFirstPart) {
    EXPECT_EQ(Overlapping(&Form), QStringList());

    auto* photo = qobject_cast<TDBImage*>(Form.FindComponent(QStringLiteral("PartPhoto")));
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->Picture()->Width(), 120);
    auto* name = qobject_cast<TDBEdit*>(Form.FindComponent(QStringLiteral("PartNameEdit")));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->Text(), QStringLiteral("Brass elbow"));

    Form.Show();
    const QImage pages = RenderGalleryPages(&Form);
    EXPECT_GE(pages.height(), 3 * Form.Height()) << "one picture per page";
}
