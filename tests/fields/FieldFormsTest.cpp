#include <controls/KroSort.h>
#include <dataset/KroTable.h>
#include <fields/KroList.h>
#include <fields/KroListCombo.h>
#include <fields/KroLook.h>
#include <fields/KroLookCombo.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Streaming.h>
#include <ui/Forms.h>

namespace {

// Both field classes inside a table, the lookup field with a level of another table.
const QString ModuleText = QStringLiteral("object FieldsModule: TComponent\n"
                                          "  object TbPerson: TKroTable\n"
                                          "    object TbPersonSex: TKroListField\n"
                                          "      FieldName = 'Sex'\n"
                                          "      Values.Strings = (\n"
                                          "        ''\n"
                                          "        'Male'\n"
                                          "        'Female')\n"
                                          "    end\n"
                                          "    object TbPersonLangLook: TKroLookField\n"
                                          "      FieldKind = fkLookup\n"
                                          "      FieldName = 'LangLook'\n"
                                          "      KeyFields = 'Lang'\n"
                                          "      LookupDataSet = TbLang\n"
                                          "      LookupKeyFields = 'Id'\n"
                                          "      Size = 30\n"
                                          "      LookupResultField = 'id;Name'\n"
                                          "      ListFieldIndex = 1\n"
                                          "      LookupFilterField = 'Continent'\n"
                                          "      LookupLevelUp = 'IdUp'\n"
                                          "      LookupFilterKey = 'Continent'\n"
                                          "      LookupLevelDown = 'AmountDown'\n"
                                          "      LookupAddFields = 'Font'\n"
                                          "      LookupGridFields = 'Added'\n"
                                          "      LookupResultIndex = 1\n"
                                          "      HeadLine = False\n"
                                          "      HeadColor = clYellow\n"
                                          "      Options = [foEditWindow, foValueNotInLookup]\n"
                                          "      OnlyEqualInFilter = True\n"
                                          "      StoreLookupData = True\n"
                                          "      LookupLevelsData = <\n"
                                          "        item\n"
                                          "          DataSet = TbCont\n"
                                          "          KeyField = 'Id'\n"
                                          "          ResultFields = 'Id;Name'\n"
                                          "        end>\n"
                                          "    end\n"
                                          "  end\n"
                                          "  object TbLang: TKroTable\n"
                                          "  end\n"
                                          "  object TbCont: TKroTable\n"
                                          "  end\n"
                                          "end\n");

TEST(SpecialFieldForms, BothFieldClassesWithLevelsReadBackUnchanged) {
    RegisterClass<TComponent>();
    std::unique_ptr<TComponent> module(ReadComponentFromText(ModuleText, QStringLiteral("f.form")));
    auto* sex = qobject_cast<TKroListField*>(module->FindComponent(QStringLiteral("TbPersonSex")));
    auto* look =
        qobject_cast<TKroLookField*>(module->FindComponent(QStringLiteral("TbPersonLangLook")));
    ASSERT_NE(sex, nullptr);
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(sex->MaxValue(), 2) << "the range follows the lines read";
    EXPECT_EQ(sex->Values()->Strings(2), QStringLiteral("Female"));
    EXPECT_EQ(look->LookupResultField(), QStringLiteral("id;Name"));
    EXPECT_EQ(look->ListFieldIndex(), 1);
    EXPECT_EQ(look->LookupResultIndex(), 1);
    EXPECT_FALSE(look->HeadLine());
    EXPECT_EQ(look->Options(), (TKroLookFieldOptions{foEditWindow, foValueNotInLookup}));
    EXPECT_TRUE(look->StoreLookupData());
    EXPECT_TRUE(look->OnlyEqualInFilter());
    ASSERT_EQ(look->LookupLevels()->Count(), 1);
    EXPECT_EQ(look->LookupLevels()->DataSet(0), module->FindComponent(QStringLiteral("TbCont")));
    EXPECT_EQ(look->LookupLevels()->ResultFields(0), QStringLiteral("Id;Name"));

    const QString written = WriteComponentToText(module.get());
    EXPECT_EQ(written, ModuleText);
    EXPECT_FALSE(written.contains(QStringLiteral("MaxValue")));
    EXPECT_FALSE(written.contains(QStringLiteral("LookupLevels ")));

    // Without levels nothing of them is written; the defaults are not written either.
    look->LookupLevels()->Clear();
    look->SetOptions(KroLookFieldDefaultOptions);
    const QString plain = WriteComponentToText(module.get());
    EXPECT_FALSE(plain.contains(QStringLiteral("LookupLevelsData")));
    EXPECT_FALSE(plain.contains(QStringLiteral("Options")));
}

} // namespace

namespace {

// The combos on a form as its file keeps them: the lookup combo's levels as for the field, the
// sorting combo's own list; the list combo's entry count is not stored.
const QString CombosText = QStringLiteral("object CombosForm: TForm\n"
                                          "  object TbCont: TKroTable\n"
                                          "  end\n"
                                          "  object LookCombo: TKroDBLookupCombo\n"
                                          "    HeadColor = clYellow\n"
                                          "    HeadLineCount = 2\n"
                                          "    LookupLevelUp = 'IdUp'\n"
                                          "    Options = [foEditWindow, foValueNotInLookup]\n"
                                          "    LookupLevelsData = <\n"
                                          "      item\n"
                                          "        DataSet = TbCont\n"
                                          "        KeyField = 'Id'\n"
                                          "        ResultFields = 'Id;Name'\n"
                                          "      end>\n"
                                          "  end\n"
                                          "  object SexCombo: TKroDBCombo\n"
                                          "    DataField = 'Sex'\n"
                                          "  end\n"
                                          "  object SortCombo: TKroDBSortingCombo\n"
                                          "    SelfList = True\n"
                                          "    Items.Strings = (\n"
                                          "      'Name'\n"
                                          "      'Country;Name')\n"
                                          "  end\n"
                                          "end\n");

TEST(SpecialFieldForms, CombosReadBackWithLevelsAndOwnLists) {
    RegisterClass<TComponent>();
    std::unique_ptr<TComponent> module(ReadComponentFromText(CombosText, QStringLiteral("c.form")));
    auto* look =
        qobject_cast<TKroDBLookupCombo*>(module->FindComponent(QStringLiteral("LookCombo")));
    auto* sort =
        qobject_cast<TKroDBSortingCombo*>(module->FindComponent(QStringLiteral("SortCombo")));
    ASSERT_NE(look, nullptr);
    ASSERT_NE(sort, nullptr);
    EXPECT_EQ(look->HeadLineCount(), 2);
    EXPECT_EQ(look->Options(), (TKroLookFieldOptions{foEditWindow, foValueNotInLookup}));
    ASSERT_EQ(look->LookupLevels()->Count(), 1);
    EXPECT_EQ(look->LookupLevels()->DataSet(0), module->FindComponent(QStringLiteral("TbCont")));
    EXPECT_EQ(look->PopupMenu(), PopupMenuKroDBLookup()) << "given the lookup menu when loaded";
    EXPECT_EQ(sort->SortingItems()->Count(), 2);
    EXPECT_TRUE(sort->SelfList());

    const QString written = WriteComponentToText(module.get());
    EXPECT_TRUE(written.contains(QStringLiteral("LookupLevelsData = <")));
    EXPECT_FALSE(written.contains(QStringLiteral("Items = ")));
    EXPECT_TRUE(written.contains(QStringLiteral("'Country;Name'")));
    std::unique_ptr<TComponent> again(ReadComponentFromText(written, QStringLiteral("w.form")));
    EXPECT_EQ(WriteComponentToText(again.get()), written);
}

} // namespace
