#include "fields/ComboFixture.h"

#include <grid/KroGrid.h>
#include <grid/KroGridEditors.h>

namespace {

// The library's grid over the persons of the combos' database.
class KroGridTree : public ComboFixture {
protected:
    void SetUp() override {
        ComboFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Grid = new TKroDbGrid(&Form);
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, 390, 200);
        Grid->SetDataSource(PersSource);
    }
    QStringList Rows() const { return ListRows(Grid->LookupCombo()); }

    TKroDbGrid* Grid = nullptr;
};

} // namespace

TEST_F(KroGridTree, TheLookupComboOverACellWalksTheTreeFromItsRoots) {
    ProfLook->SetLookupLevelUp(QStringLiteral("IdUp"));
    ProfLook->SetLookupLevelDown(QStringLiteral("AmountDown"));
    ProfLook->SetListFieldIndex(1);
    OpenAll();
    GoTo("Ann");
    ShowFocused(Grid);
    Grid->SetSelectedField(ProfLook);
    Key(Grid, Qt::Key_Return, Qt::ControlModifier);
    TKroInplaceLookupCombo* combo = Grid->LookupCombo();
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(combo->DroppedDown());
    EXPECT_TRUE(combo->TreeFiltered());
    EXPECT_EQ(Rows(), (QStringList{QStringLiteral("Science"), QStringLiteral("Arts")}));

    // Arts, then its only child.
    Key(combo, Qt::Key_End);
    Key(combo, Qt::Key_Return);
    ASSERT_TRUE(combo->DroppedDown()) << "a row with children shows them";
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("Music")});
    Key(combo, Qt::Key_Home);
    Key(combo, Qt::Key_Return);
    ProcessEvents();
    EXPECT_FALSE(combo->Visible());
    // Enter moved on from the last column: Ann's record is posted.
    EXPECT_EQ(Pers->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Bob"));
    EXPECT_EQ(Pers->Lookup(QStringLiteral("Name"), QStringLiteral("Ann"), QStringLiteral("Prof")),
              Variant(5));
    EXPECT_FALSE(Prof->Filtered()) << "the tree filter is taken off";
}
