#include "TestForms.h"

#include <GalleryForm.h>
#include <QApplication>
#include <QClipboard>
#include <QMultiHash>
#include <QSet>
#include <QTest>
#include <db/DataSet.h>
#include <gtest/gtest.h>
#include <ui/ComCtrls.h>
#include <ui/DBCtrls.h>
#include <ui/Menus.h>
#include <ui/StdCtrls.h>

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

namespace {

// The accelerator letter of Caption ("&Name" gives 'N'), or a null character.
QChar Accelerator(const QString& Caption) {
    for (qsizetype i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != QLatin1Char('&'))
            continue;
        if (Caption[i + 1] != QLatin1Char('&'))
            return Caption[i + 1].toUpper();
        ++i;
    }
    return {};
}

// The sheet Control lies on, or nullptr outside the pages (the sheets' tabs too).
TTabSheet* SheetOf(TControl* Control) {
    for (TControl* c = Control->Parent(); c; c = c->Parent())
        if (auto* sheet = qobject_cast<TTabSheet*>(c))
            return sheet;
    return nullptr;
}

} // namespace

TEST_F(Gallery, TheAcceleratorsShownTogetherDiffer) {
    auto* pages = qobject_cast<TPageControl*>(Form.FindComponent(QStringLiteral("Pages")));
    ASSERT_TRUE(pages);
    for (int p = 0; p < pages->PageCount(); ++p) {
        TTabSheet* page = pages->Pages(p);
        QMultiHash<QChar, QString> owners;
        for (int i = 0; i < Form.Menu()->Items()->Count(); ++i) {
            TMenuItem* item = Form.Menu()->Items()->Items(i);
            owners.insert(Accelerator(item->Caption()), item->Name());
        }
        for (int i = 0; i < Form.ComponentCount(); ++i) {
            auto* control = qobject_cast<TControl*>(Form.Components(i));
            if (!control || (SheetOf(control) && SheetOf(control) != page))
                continue;
            owners.insert(Accelerator(control->Caption()), control->Name());
        }
        for (QChar letter : owners.uniqueKeys()) {
            if (letter.isNull())
                continue;
            EXPECT_EQ(owners.count(letter), 1)
                << page->Name().toStdString() << ": Alt+" << QString(letter).toStdString()
                << " for " << owners.values(letter).join(QStringLiteral(", ")).toStdString();
        }
    }
}

TEST_F(Gallery, EditCommandsWorkAndHintedButtonsShowTheirHints) {
    for (int i = 0; i < Form.ComponentCount(); ++i) {
        auto* control = qobject_cast<TControl*>(Form.Components(i));
        if (control && !control->Hint().isEmpty()) {
            EXPECT_TRUE(control->ShowHint()) << control->Name().toStdString();
        }
    }

    Form.Show();
    Activate(&Form);
    auto* find = qobject_cast<TEdit*>(Form.FindComponent(QStringLiteral("FindEdit")));
    ASSERT_TRUE(find);
    find->SetFocus();
    QTest::keyClicks(find->Widget(), QStringLiteral("bolt"));
    QTest::keyClick(find->Widget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(find->Widget(), Qt::Key_C, Qt::ControlModifier); // the Copy item's key
    ProcessEvents();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bolt"));
    QTest::keyClick(find->Widget(), Qt::Key_X, Qt::ControlModifier);
    ProcessEvents();
    EXPECT_EQ(find->Text(), QString());
    QTest::keyClick(find->Widget(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(find->Widget(), Qt::Key_V, Qt::ControlModifier);
    ProcessEvents();
    EXPECT_EQ(find->Text(), QStringLiteral("boltbolt"));
}
