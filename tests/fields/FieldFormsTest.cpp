#include <dataset/KroTable.h>
#include <fields/KroList.h>
#include <fields/KroLook.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Streaming.h>

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
