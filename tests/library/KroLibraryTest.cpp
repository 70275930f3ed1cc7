#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Component.h>
#include <rtl/Streaming.h>

namespace {

// The test program's main registered the library as a program does; no test here
// registers anything itself.
TEST(KroLibrary, EveryFolderRegistersItsClassesForFormFiles) {
    for (const char* name : {"TKroTable", "TKroQuery", "TKroDMInfo", "TTable", "TDataSource",
                             "TKroRecordCloner", "TKroDualListDlg", "TDlgErrorAdv", "TKroFilter",
                             "TKroPageControl", "TPopupMenuKroDBMemo", "TDBGrid"})
        EXPECT_NE(GetClass(QString::fromLatin1(name)), nullptr) << name;
}

TEST(KroLibrary, AFormFileNamingLibraryClassesReads) {
    const QString text = QStringLiteral("object LibraryModule: TKroDMInfo\n"
                                        "  object TbPeople: TKroTable\n"
                                        "    Caption = 'People'\n"
                                        "  end\n"
                                        "  object DsPeople: TDataSource\n"
                                        "    DataSet = TbPeople\n"
                                        "  end\n"
                                        "  object Cloner: TKroRecordCloner\n"
                                        "    DataSource = DsPeople\n"
                                        "  end\n"
                                        "end\n");
    std::unique_ptr<TComponent> root(ReadComponentFromText(text, QStringLiteral("module.form")));
    ASSERT_EQ(root->ComponentCount(), 3);
    EXPECT_EQ(root->Components(2)->ClassName(), QStringLiteral("TKroRecordCloner"));
}

} // namespace
