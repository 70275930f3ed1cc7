#include "GridFixture.h"
#include "OpenMenu.h"

#include <QMenu>
#include <controls/KroContr.h>
#include <forms/DiAdv.h>
#include <forms/DiDual.h>
#include <grid/KroGridMenu.h>
#include <rtl/Streaming.h>
#include <ui/Screen.h>
#include <ui/StdCtrls.h>

namespace {

// The library's grid with the shared grid menu, and a button beside it to take the focus.
class GridPopupFixture : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Grid->SetPopupMenu(PopupMenuKroDBGrid());
        Button->SetParent(&Form);
        Button->SetBounds(0, 230, 80, 25);
    }
    void TearDown() override {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        GridFixture::TearDown();
    }

    // Opens the menu as the user does, with a right click on Control (at Point), the form
    // being the active window (the offscreen platform may leave none active after a popup).
    void RightClick(TControl* Control, QPoint Point = QPoint(5, 5)) {
        QApplication::setActiveWindow(Form.Widget());
        ProcessEvents();
        QTest::mouseClick(Control->Widget(), Qt::RightButton, {}, Point);
        ASSERT_TRUE(OpenMenu());
    }
    // The page standing in the grid's place; nullptr when there is none.
    TKroScrollBoxForGrid* Page() const {
        for (int i = 0; i < Form.ComponentCount(); ++i)
            if (auto* page = qobject_cast<TKroScrollBoxForGrid*>(Form.Components(i)))
                return page;
        return nullptr;
    }
    // Switches to the page through the grid's menu.
    void ShowPage() {
        ChooseOn(Grid, QPoint(5, 5), QStringLiteral("Grid / One record"));
        ASSERT_TRUE(Page());
        ASSERT_TRUE(Page()->Showing());
    }
    // Right-clicks the page below its controls and chooses Caption.
    void ChooseOnPage(const QString& Caption) {
        ChooseOn(Page(), QPoint(5, Page()->Height() - 5), Caption);
    }
    // Right-clicks Control at Point and chooses Caption; the form is active again after.
    void ChooseOn(TControl* Control, QPoint Point, const QString& Caption) {
        RightClick(Control, Point);
        Choose(Caption);
        QApplication::setActiveWindow(Form.Widget());
        ProcessEvents();
    }
    // The captions of the page's labels, and its controls' fields, in order.
    QStringList PageLabels() const {
        QStringList captions;
        for (int i = 0; i < Page()->ControlCount(); ++i)
            if (auto* label = qobject_cast<TLabel*>(Page()->Controls(i));
                label && !label->property("DataField").isValid())
                captions << label->Caption();
        return captions;
    }
    // The page's control of the field named Name.
    TControl* PageControl(const char* Name) const {
        for (int i = 0; i < Page()->ControlCount(); ++i)
            if (Page()->Controls(i)->property("DataField").toString() == QLatin1String(Name))
                return Page()->Controls(i);
        return nullptr;
    }
    QStringList EnabledGridItems() {
        QStringList items;
        for (const QString& item : EnabledItems())
            if (GridItems.contains(item))
                items << item;
        return items;
    }
    static bool Shows(TControl* Control) { return Control->Widget()->isVisible(); }

    const QStringList GridItems{"Fields visibility", "Print", "Print record", "Grid / One record",
                                "Pick length of fields"};
    TButton* Button = new TButton(&Form);
};

ON_EVERY_ENGINE_WITH(KroGridPage, GridPopupFixture);
ON_EVERY_ENGINE_WITH(KroGridPopup, GridPopupFixture);

} // namespace

TEST_P(KroGridPage, TheGridsMenuSwitchesToThePageOfTheRecordAndBackWithTheFocus) {
    GoTo("Ann");
    Person->FieldByName(QStringLiteral("Lang"))->SetTag(28);
    Sex->SetVisible(false);
    ShowPage();
    TKroScrollBoxForGrid* page = Page();
    EXPECT_FALSE(Shows(Grid));
    EXPECT_TRUE(Shows(page));
    EXPECT_EQ(page->BoundsRect(), Grid->BoundsRect());
    EXPECT_EQ(page->Grid(), Grid);
    EXPECT_EQ(PageLabels(), QStringList({"Id", "Name", "LangLook"}));
    TControl* name = PageControl("Name");
    ASSERT_TRUE(name);
    EXPECT_EQ(name->Text(), QStringLiteral("Ann"));
    EXPECT_TRUE(PageControl("LangLook"));
    EXPECT_FALSE(PageControl("Lang"));
    EXPECT_FALSE(PageControl("Sex"));
    // The first control the user can reach has the focus: the key's edit.
    EXPECT_EQ(Screen()->ActiveControl(), PageControl("Id"));
    EXPECT_FALSE(page->Font()->Style().Contains(fsBold));

    // Typing goes into the record.
    Key(Qt::Key_Tab);
    EXPECT_EQ(Screen()->ActiveControl(), name);
    Key(Qt::Key_End);
    Type(QStringLiteral("e"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Name(), QStringLiteral("Anne"));

    ChooseOnPage(QStringLiteral("Grid / One record"));
    EXPECT_FALSE(Page()) << "the page goes as the grid comes back";
    EXPECT_TRUE(Shows(Grid));
    EXPECT_EQ(Screen()->ActiveControl(), Grid);

    // Switched while the grid does not have the focus, the focus stays where it was.
    TKroScrollBoxForGrid byCode(&Form);
    byCode.SetGrid(Grid);
    Button->SetFocus();
    ProcessEvents();
    byCode.Toggle();
    EXPECT_TRUE(byCode.Showing());
    EXPECT_FALSE(Shows(Grid));
    EXPECT_EQ(Screen()->ActiveControl(), Button);
    byCode.Toggle();
    EXPECT_TRUE(Shows(Grid));
    EXPECT_EQ(Screen()->ActiveControl(), Button);
}

TEST_P(KroGridPage, AReadOnlyDatasetShowsEveryValueAsBoldTextWithLabelsInTheDefaultFont) {
    Person->Close();
    Person->SetReadOnly(true);
    Person->Open();
    GoTo("Bob");
    ShowPage();
    TKroScrollBoxForGrid* page = Page();
    EXPECT_TRUE(page->Font()->Style().Contains(fsBold));
    const TFont defaultFont;
    int texts = 0;
    for (int i = 0; i < page->ControlCount(); ++i) {
        TControl* control = page->Controls(i);
        ASSERT_TRUE(qobject_cast<TLabel*>(control)) << "no control takes typing";
        if (control->property("DataField").isValid()) {
            ++texts;
            EXPECT_TRUE(control->Font()->Style().Contains(fsBold));
        } else {
            EXPECT_FALSE(control->Font()->Style().Contains(fsBold));
            EXPECT_EQ(control->Font()->Name(), defaultFont.Name());
            EXPECT_EQ(control->Font()->Height(), defaultFont.Height());
        }
    }
    EXPECT_EQ(texts, 5);
    EXPECT_EQ(PageControl("Name")->Text(), QStringLiteral("Bob"));
    EXPECT_EQ(PageControl("Sex")->Text(), QStringLiteral("Male"));
}

TEST_P(KroGridPage, FieldsVisibilityAndPickLengthChosenOnThePageRebuildIt) {
    ShowPage();
    TControl* name = PageControl("Name");
    ASSERT_TRUE(name);
    const int nameWidth = name->Width();
    Responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TKroDualListDlg*>(Form);
        ASSERT_TRUE(dialog);
        const int index = dialog->SrcList->Items()->IndexOf(QStringLiteral("Name"));
        ASSERT_GE(index, 0);
        dialog->SrcList->Items()->Delete(index);
        dialog->DstList->Items()->Add(QStringLiteral("Name"));
        Form->SetModalResult(mrOk);
    });
    ChooseOnPage(QStringLiteral("Fields visibility"));
    EXPECT_EQ(Responder.Shown().size(), 1);
    EXPECT_FALSE(PageControl("Name"));
    EXPECT_TRUE(PageControl("Id"));
    EXPECT_TRUE(Page()->Showing());

    // The longest name has 3 characters: 3 + 1 wide, the control 2 more.
    Person->FieldByName(QStringLiteral("Name"))->SetVisible(true);
    ChooseOnPage(QStringLiteral("Pick length of fields"));
    ASSERT_TRUE(PageControl("Name"));
    const int zero = GetFontMetrics(Page()->Font(), QStringLiteral("0")).width();
    EXPECT_EQ(PageControl("Name")->Width(), (3 + 1 + 2) * zero);
    EXPECT_LT(PageControl("Name")->Width(), nameWidth);
}

TEST_P(KroGridPage, AGridDestroyedUnderThePageLeavesAPageThatSwitchesToNothing) {
    ShowPage();
    TKroScrollBoxForGrid* page = Page();
    delete Grid;
    Grid = nullptr;
    EXPECT_EQ(page->Grid(), nullptr);
    RightClick(page, QPoint(5, page->Height() - 5));
    EXPECT_TRUE(EnabledGridItems().isEmpty());
    OpenMenu()->close();
    page->Toggle();
    EXPECT_FALSE(page->Showing());
    EXPECT_FALSE(Shows(page));
    // Without a grid, or a grid without data, there is nothing to switch to.
    page->Toggle();
    EXPECT_FALSE(page->Showing());
    TDBGrid other(&Form);
    page->SetGrid(&other);
    page->Toggle();
    EXPECT_FALSE(page->Showing());
}

TEST_P(KroGridPopup, OnTheLibrarysGridTheGridItemsComeBeforeTheRecordItems) {
    RightClick(Grid);
    EXPECT_EQ(ShownItems(),
              QStringList({"Fields visibility", "Print", "Print record", "Grid / One record",
                           "Pick length of fields", "|", "Insert record\tCtrl+Num +",
                           "Delete record\tCtrl+Num -", "Edit record", "Post edit\tCtrl+S",
                           "Cancel edit", "Refresh data", "Clone record"}));
    EXPECT_EQ(EnabledGridItems(), GridItems);
    EXPECT_TRUE(EnabledItems().contains(QStringLiteral("Edit record")));
    OpenMenu()->close();

    // An empty table: nothing to print; picking the lengths changes nothing.
    Person->SetFilter(QStringLiteral("Name = 'Nobody'"));
    Person->SetFiltered(true);
    RightClick(Grid);
    EXPECT_EQ(EnabledGridItems(),
              QStringList({"Fields visibility", "Grid / One record", "Pick length of fields"}));
    const int width = Person->FieldByName(QStringLiteral("Name"))->DisplayWidth();
    const int column = ColumnOf("Name")->Width();
    Choose(QStringLiteral("Pick length of fields"));
    EXPECT_EQ(Person->FieldByName(QStringLiteral("Name"))->DisplayWidth(), width);
    EXPECT_EQ(ColumnOf("Name")->Width(), column);

    // A closed dataset: no grid item.
    Person->Close();
    RightClick(Grid);
    EXPECT_TRUE(EnabledGridItems().isEmpty());
}

TEST_P(KroGridPopup, OnAPlainGridPrintingFollowsTheHooksAndThePageWorks) {
    Grid->Hide();
    TDBGrid plain(&Form);
    plain.SetParent(&Form);
    plain.SetBounds(0, 0, 640, 220);
    plain.SetDataSource(Source);
    plain.SetPopupMenu(PopupMenuKroDBGrid());
    ProcessEvents();
    RightClick(&plain);
    EXPECT_EQ(EnabledGridItems(), QStringList({"Grid / One record", "Pick length of fields"}));
    Choose(QStringLiteral("Grid / One record"));
    ASSERT_TRUE(Page());
    EXPECT_EQ(Page()->Grid(), &plain);
    EXPECT_FALSE(Shows(&plain));
    ChooseOnPage(QStringLiteral("Grid / One record"));
    EXPECT_FALSE(Page());
    EXPECT_TRUE(Shows(&plain));

    // With the hooks, the plain grid prints through them; a failure is reported.
    static TDBGrid* printed = nullptr;
    PrintTableHook = [](TDBGrid* Grid) { printed = Grid; };
    PrintRecordHook = [](TDBGrid*) { throw Exception(QStringLiteral("jammed")); };
    RightClick(&plain);
    EXPECT_EQ(EnabledGridItems(),
              QStringList({"Print", "Print record", "Grid / One record", "Pick length of fields"}));
    Choose(QStringLiteral("Print"));
    EXPECT_EQ(printed, &plain);
    RightClick(&plain);
    Choose(QStringLiteral("Print record"));
    PrintTableHook = nullptr;
    PrintRecordHook = nullptr;
    ASSERT_EQ(Responder.Shown().size(), 1);
    EXPECT_EQ(Responder.Shown().last().Text, QStringLiteral("Error printing record"));
}

TEST_P(KroGridPopup, ALoadedGridWithoutAMenuGetsTheSharedOne) {
    const QString text = QStringLiteral(R"(
object GridForm: TForm
  object Plain: TKroDbGrid
  end
  object Own: TKroDbGrid
    PopupMenu = OwnMenu
  end
  object OwnMenu: TPopupMenu
  end
end
)");
    std::unique_ptr<TComponent> form(ReadComponentFromText(text, QStringLiteral("grids.form")));
    auto* plain = qobject_cast<TKroDbGrid*>(form->FindComponent(QStringLiteral("Plain")));
    auto* own = qobject_cast<TKroDbGrid*>(form->FindComponent(QStringLiteral("Own")));
    ASSERT_TRUE(plain && own);
    EXPECT_EQ(plain->PopupMenu(), PopupMenuKroDBGrid());
    EXPECT_EQ(own->PopupMenu(), form->FindComponent(QStringLiteral("OwnMenu")));
    EXPECT_EQ(PopupMenuKroDBGrid(), PopupMenuKroDBGrid()) << "one shared menu";
}

// ---- Fitting the field widths to the data -----------------------------------------------

namespace {

// The languages in a grid of their own, with descriptions of 40 and 300 characters.
class PickFixture : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Persistent fields, which keep their widths while the dataset is closed.
        Lang->Close();
        AddField<TAutoIncField>(Lang, "Id");
        AddField<TStringField>(Lang, "Name", 20);
        AddField<TStringField>(Lang, "Font", 30);
        AddField<TDateField>(Lang, "Added");
        AddField<TStringField>(Lang, "Descr", 4100);
        Lang->Open();
        SetDescr(QString(40, QLatin1Char('d')));
        LangSource->SetDataSet(Lang);
        LangGrid->SetParent(&Form);
        LangGrid->SetDataSource(LangSource);
    }
    void SetDescr(const QString& Text) {
        Lang->Edit();
        LangField("Descr")->SetAsString(Text);
        Lang->Post();
    }
    TField* LangField(const char* Name) const {
        return Lang->FieldByName(QString::fromLatin1(Name));
    }
    TColumn* LangColumn(const char* Name) const {
        for (int i = 0; i < LangGrid->Columns()->Count(); ++i)
            if (LangGrid->Columns()->Items(i)->FieldName() == QLatin1String(Name))
                return LangGrid->Columns()->Items(i);
        return nullptr;
    }
    // The width the column of Length characters gets in Column's font, at least that of
    // Widest, the widest text in it.
    int FittedWidth(TColumn* Column, int Length, const QString& Widest) const {
        TCanvas* canvas = LangGrid->Canvas();
        canvas->Font()->Assign(Column->Font());
        const int overhang = canvas->TextMetric().tmOverhang;
        const int zero = canvas->TextWidth(QStringLiteral("0"));
        return qMax((zero - overhang) * (Length + 1 + Length / 20) + overhang + 4,
                    canvas->TextWidth(Widest) + 4);
    }

    TDataSource* LangSource = new TDataSource(&Form);
    TDBGrid* LangGrid = new TDBGrid(&Form);
};

ON_EVERY_ENGINE_WITH(KroPickFieldLengths, PickFixture);

} // namespace

TEST_P(KroPickFieldLengths, FieldsGetTheirLongestTextPlusOneAndAFifthCountedUpTo255) {
    Lang->Next();
    Lang->Edit();
    LangField("Name")->SetAsString(QStringLiteral("Changed"));
    LangColumn("Name")->Font()->SetHeight(-20);
    PickFieldLengths(LangGrid, 300);
    EXPECT_EQ(Lang->State(), dsBrowse) << "the edit is posted first";
    EXPECT_EQ(LangField("Name")->AsString(), QStringLiteral("Changed")) << "on the same record";
    EXPECT_EQ(LangField("Descr")->DisplayWidth(), 43);
    EXPECT_EQ(LangField("Name")->DisplayWidth(), 8);
    EXPECT_EQ(LangField("Added")->DisplayWidth(), 11);
    // The columns fit in their own fonts, the widest text whole: capitals are wider than
    // the "0" the lengths count in.
    const QString descr(40, QLatin1Char('d'));
    EXPECT_EQ(LangColumn("Descr")->Width(), FittedWidth(LangColumn("Descr"), 40, descr));
    EXPECT_EQ(LangColumn("Name")->Width(),
              FittedWidth(LangColumn("Name"), 7, QStringLiteral("Changed")));
    EXPECT_GT(LangColumn("Name")->Width(),
              FittedWidth(LangColumn("Added"), 7, QStringLiteral("Changed")));
    Lang->First();
    SetDescr(QString(30, QLatin1Char('W')));
    PickFieldLengths(LangGrid, 300);
    EXPECT_EQ(LangField("Descr")->DisplayWidth(), 32);
    TCanvas* canvas = LangGrid->Canvas();
    canvas->Font()->Assign(LangColumn("Descr")->Font());
    EXPECT_EQ(LangColumn("Descr")->Width(), canvas->TextWidth(QString(30, QLatin1Char('W'))) + 4);
    SetDescr(descr);

    // 300 characters count as 255; only the first MaxRecords records are read.
    Lang->Last();
    SetDescr(QString(300, QLatin1Char('d')));
    PickFieldLengths(Lang, 2);
    EXPECT_EQ(LangField("Descr")->DisplayWidth(), 43);
    PickFieldLengths(Lang, 300);
    EXPECT_EQ(LangField("Descr")->DisplayWidth(), 268);
    EXPECT_EQ(Lang->RecNo(), 3);

    // A closed dataset is read and closed again.
    Lang->Close();
    LangField("Descr")->SetDisplayWidth(5);
    PickFieldLengths(Lang, 300);
    EXPECT_FALSE(Lang->Active());
    EXPECT_EQ(LangField("Descr")->DisplayWidth(), 268);
}

TEST_P(KroPickFieldLengths, WithoutColumnResizingOnlyTheDisplayWidthsChange) {
    LangGrid->SetOptions(LangGrid->Options() - TDBGridOptions{dgColumnResize});
    LangColumn("Descr")->SetWidth(50);
    PickFieldLengths(LangGrid, 300);
    EXPECT_EQ(LangField("Descr")->DisplayWidth(), 43);
    EXPECT_EQ(LangColumn("Descr")->Width(), 50);
    EXPECT_FALSE(LangColumn("Name")->AssignedValues().Contains(cvWidth));
    EXPECT_EQ(LangField("Name")->DisplayWidth(), 8);
}

TEST_P(KroPickFieldLengths, LookupFieldsAndAnEmptyDatasetAreLeftAlone) {
    const int lookWidth = Look->DisplayWidth();
    Look->SetVisible(true);
    PickFieldLengths(Grid, 300);
    EXPECT_EQ(Look->DisplayWidth(), lookWidth);
    EXPECT_EQ(Person->FieldByName(QStringLiteral("Name"))->DisplayWidth(), 4);

    Lang->SetFilter(QStringLiteral("Id = 0"));
    Lang->SetFiltered(true);
    LangField("Name")->SetDisplayWidth(9);
    PickFieldLengths(Lang, 300);
    EXPECT_EQ(LangField("Name")->DisplayWidth(), 9);
    PickFieldLengths(nullptr, 300);
}
