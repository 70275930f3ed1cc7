#include "GridFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <forms/DiDual.h>
#include <print/KroPrint.h>
#include <ui/StdCtrls.h>

namespace {

// The grid's table and record printed to files in a folder of their own.
class GridPrintFixture : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Person->SetCaption(QStringLiteral("Persons"));
        TKroPrintSet* set = KroPrintSet();
        set->Mode = pmFile;
        set->FileName = Dir.filePath(QStringLiteral("table.txt"));
        set->WithoutPages = true;
        set->Copies = 1;
        set->RangeKind = 0;
        set->Title.clear();
        Look->SetVisible(false);
        Grid->Canvas()->Font()->Assign(Grid->Font());
        const int zero = Grid->Canvas()->TextWidth(QStringLiteral("0"));
        // Widths of 11, 5, 7 and 5 characters; the lookup column hidden.
        for (const auto& [name, chars] :
             {std::pair("Name", 10), std::pair("Lang", 4), std::pair("Sex", 6), std::pair("Id", 4)})
            ColumnOf(name)->SetWidth(chars * zero + zero / 2);
    }

    static QString Read(const QString& FileName) {
        QFile file(FileName);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir Dir;
};

ON_EVERY_ENGINE_WITH(KroGridMenu, GridPrintFixture);

} // namespace

TEST_P(KroGridMenu, PrintTableWritesTitlesRowsAndTotalsInColumnsOfTheGridsWidths) {
    Person->Next();
    Grid->SetTotal(true);
    Grid->SetTotalText(QStringLiteral("name"), QStringLiteral("4 people"));
    Grid->SetTotalText(QStringLiteral("Lang"), QStringLiteral("11"));
    Responder.Answer(mrOk);
    Grid->PrintTable();
    ASSERT_TRUE(Errors.isEmpty()) << Errors.join(';').toStdString();
    EXPECT_EQ(KroPrintSet()->Title, QStringLiteral("Persons"));
    // One continuous text: no margins, heads or numbers.
    const QStringList lines{"Persons",
                            " Id  |   Name    |Lang |  Sex  ",
                            "-------------------------------",
                            "    1|Ann        |    3|Female ",
                            "    2|Bob        |    7|Male   ",
                            "    3|Cid        |     |       ",
                            "    4|Dan        |    1|       ",
                            "     |4 people   |   11|       "};
    QString expected;
    for (const QString& line : lines)
        expected += line + QStringLiteral("\r\n");
    EXPECT_EQ(Read(KroPrintSet()->FileName), expected)
        << Read(KroPrintSet()->FileName).toStdString();
    EXPECT_EQ(Name(), QStringLiteral("Bob")) << "back on the record";

    // A title the user typed stays for the same dataset; cancelling prints nothing.
    KroPrintSet()->Title = QStringLiteral("My people");
    QFile::remove(KroPrintSet()->FileName);
    Responder.Answer(mrCancel);
    Grid->PrintTable();
    EXPECT_EQ(KroPrintSet()->Title, QStringLiteral("My people"));
    EXPECT_FALSE(QFile::exists(KroPrintSet()->FileName));
}

TEST_P(KroGridMenu, PrintTableHookReplacesThePrintingAndItsErrorIsReported) {
    PrintTableHook = [](TDBGrid*) { throw Exception(QStringLiteral("no paper")); };
    Grid->PrintTable();
    PrintTableHook = nullptr;
    ASSERT_FALSE(Responder.Shown().isEmpty());
    EXPECT_EQ(Responder.Shown().last().Text, QStringLiteral("Error printing table"));
    EXPECT_FALSE(QFile::exists(KroPrintSet()->FileName));

    // An empty dataset prints nothing and asks nothing.
    const int shown = int(Responder.Shown().size());
    Person->SetFilter(QStringLiteral("Name = 'Nobody'"));
    Person->SetFiltered(true);
    Grid->PrintTable();
    Grid->PrintRecord();
    EXPECT_EQ(Responder.Shown().size(), shown);
}

TEST_P(KroGridMenu, PrintRecordWritesTheCaptionAndTheVisibleFields) {
    const QString previous = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    KroPrinter()->SetMode(pmFile);
    Person->FieldByName(QStringLiteral("Id"))->SetTag(8);
    Grid->PrintRecord();
    QDir::setCurrent(previous);
    ASSERT_TRUE(Errors.isEmpty()) << Errors.join(';').toStdString();
    const QString text = Read(Dir.filePath(QStringLiteral("Printer.")));
    // The engine's defaults in file mode: an empty title line, the page ended by a form
    // feed; the formatter pads labels and values to their widths.
    const QString expected = QStringLiteral("\r\n     Persons\r\n") +
                             QStringLiteral("Name > Ann%1\r\n").arg(QString(17, ' ')) +
                             QStringLiteral("Lang > 3%1\r\n").arg(QString(9, ' ')) +
                             QStringLiteral("Sex  > Female\r\n\f");
    EXPECT_EQ(text, expected) << text.toUtf8().toPercentEncoding(" >").toStdString();
}

TEST_P(KroGridMenu, FieldsVisibilityListsUserFieldsByLabelAndAppliesTheChoice) {
    Person->Close();
    auto* note = AddField<TStringField>(Person, "Note", 10);
    note->SetFieldKind(fkCalculated);
    note->SetVisible(false);
    note->SetTag(108);
    Person->Open();
    Person->FieldByName(QStringLiteral("Id"))->SetTag(8);
    Look->SetTag(18);
    Look->SetVisible(true);
    Person->FieldByName(QStringLiteral("Lang"))->SetDisplayLabel(QStringLiteral("Name"));
    QStringList left, right, captions;
    Responder.Answer([&](TForm* Form) {
        auto* dialog = qobject_cast<TKroDualListDlg*>(Form);
        ASSERT_TRUE(dialog);
        captions << dialog->Caption() << dialog->SrcLabel->Caption() << dialog->DstLabel->Caption();
        left = dialog->SrcList->Items()->ToStringList();
        right = dialog->DstList->Items()->ToStringList();
        dialog->DstList->Items()->Add(QStringLiteral("Name"));
        dialog->SrcList->Items()->Delete(0);
        Form->SetModalResult(mrOk);
    });
    Grid->FieldsVisibility();
    EXPECT_EQ(captions, QStringList({"Fields visibility", "Visible fields", "Invisible fields"}));
    EXPECT_EQ(left, QStringList({"Name", "Sex"}));
    EXPECT_TRUE(right.isEmpty());
    const auto field = [this](const char* Name) {
        return Person->FieldByName(QString::fromLatin1(Name));
    };
    EXPECT_EQ(field("Sex")->Index(), 0);
    EXPECT_TRUE(field("Sex")->Visible());
    EXPECT_FALSE(field("Name")->Visible());
    EXPECT_FALSE(field("Lang")->Visible()) << "the same label follows the same choice";
    EXPECT_TRUE(field("Id")->Visible());
    EXPECT_TRUE(field("LangLook")->Visible());
    EXPECT_FALSE(field("Note")->Visible());
    EXPECT_EQ(ColumnOf("Name"), nullptr) << "the grid follows";

    // Cancelled, nothing changes.
    Responder.Answer(mrCancel);
    Grid->FieldsVisibility();
    EXPECT_FALSE(field("Name")->Visible());
}
