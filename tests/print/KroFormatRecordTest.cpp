#include <PeopleDatabase.h>
#include <db/Field.h>
#include <gtest/gtest.h>
#include <memory>
#include <print/KroPrint.h>
#include <rtl/Exceptions.h>

namespace {

// The first person of a small people table, with Name 12 and Country 3 characters wide.
class FormatRecord : public ::testing::Test {
protected:
    void SetUp() override {
        People->Open();
        People->FieldByName(QStringLiteral("Name"))->SetDisplayWidth(12);
        People->FieldByName(QStringLiteral("Country"))->SetDisplayWidth(3);
    }
    // The labels the record layout without width shows, in order.
    QStringList Labels(const QString& Fields) {
        QStringList labels;
        for (const QString& line : KroFormatRecord(People.get(), Fields, QStringLiteral("="), 0))
            labels << line.section(QLatin1Char(' '), 0, 0);
        return labels;
    }

    TPeopleDatabase Db{2};
    std::unique_ptr<TTable> People{Db.NewTable(QStringLiteral("People.db"))};
};

TEST_F(FormatRecord, RecordLayoutPutsLabelSeparatorAndValue) {
    const QString fields = QStringLiteral("Name;Country");
    EXPECT_EQ(KroFormatRecord(People.get(), fields, QStringLiteral(":"), 0),
              QStringList(
                  {QStringLiteral("Name    : Person 0001 "), QStringLiteral("Country : 1      ")}))
        << "labels padded to the longest, values to the larger of label and display width";
    EXPECT_EQ(KroFormatRecord(People.get(), fields, QStringLiteral(":"), 37),
              QStringList{QStringLiteral("Name : Person 0001  Country : 1      ")});
    EXPECT_EQ(
        KroFormatRecord(People.get(), fields, QStringLiteral(":"), 36),
        QStringList({QStringLiteral("Name : Person 0001 "), QStringLiteral("Country : 1      ")}))
        << "a piece that would pass the width starts a new line";
}

TEST_F(FormatRecord, TableLayoutPutsHeadingsAboveValues) {
    const QString fields = QStringLiteral("Name;Country");
    EXPECT_EQ(KroFormatRecord(People.get(), fields, QString(), 0),
              QStringList({QStringLiteral("    Name    "), QStringLiteral("Person 0001 "),
                           QStringLiteral("Country"), QStringLiteral("1      ")}));
    EXPECT_EQ(KroFormatRecord(People.get(), fields, QString(), 20),
              QStringList({QStringLiteral("    Name     Country"),
                           QStringLiteral("Person 0001  1      ")}));
    EXPECT_EQ(KroFormatRecord(People.get(), fields, QString(), 19).size(), 4);
    People->FieldByName(QStringLiteral("Name"))->SetDisplayWidth(11);
    People->Next();
    EXPECT_EQ(KroFormatRecord(People.get(), fields, QString(), 20).last(),
              QStringLiteral("Person 0002 2      "))
        << "a value that fills its column stays apart from the next";
}

TEST_F(FormatRecord, SelectsAllUserOrVisibleFieldsOrAList) {
    People->FieldByName(QStringLiteral("Notes"))->SetTag(18);
    People->FieldByName(QStringLiteral("Salary"))->SetVisible(false);
    const QStringList all = {"Id", "Name", "Country", "Birth", "Salary", "Active", "Notes"};
    EXPECT_EQ(Labels(QStringLiteral("AllFields")), all);
    EXPECT_EQ(Labels(QStringLiteral("UserFields")),
              QStringList({"Id", "Name", "Country", "Birth", "Salary", "Active"}));
    EXPECT_EQ(Labels(QStringLiteral("VisibleFields")),
              QStringList({"Id", "Name", "Country", "Birth", "Active"}));
    EXPECT_EQ(Labels(QStringLiteral("Active; Name")), QStringList({"Active", "Name"}));
    EXPECT_THROW(KroFormatRecord(People.get(), QStringLiteral("Name;Nobody"), QString(), 0),
                 EDatabaseError);
}

} // namespace
