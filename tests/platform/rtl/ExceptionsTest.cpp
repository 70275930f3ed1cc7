#include <QStringList>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>

namespace {

// Installs a handler that records messages for the length of a test.
class ExceptionHandling : public ::testing::Test {
protected:
    void SetUp() override {
        SetExceptionHandler([this](const Exception& e) { Shown << e.Message(); });
    }
    void TearDown() override { SetExceptionHandler(nullptr); }
    QStringList Shown;
};

TEST_F(ExceptionHandling, MessagesReachTheApplicationHandler) {
    EXPECT_FALSE(HandleExceptions([] { throw EDatabaseError(QStringLiteral("Key violation")); }));
    EXPECT_FALSE(HandleExceptions([] { throw std::runtime_error("disk full"); }));
    EXPECT_EQ(Shown, (QStringList{QStringLiteral("Key violation"), QStringLiteral("disk full")}));
}

TEST_F(ExceptionHandling, AbortIsSilentAndSuccessReportsNothing) {
    EXPECT_FALSE(HandleExceptions([] { Abort(); }));
    ShowException(EAbort(QStringLiteral("ignored")));
    int runs = 0;
    EXPECT_TRUE(HandleExceptions([&runs] { ++runs; }));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(Shown.isEmpty());
}

TEST_F(ExceptionHandling, ExceptionsFormAHierarchyCatchableByBase) {
    try {
        throw EReadError(QStringLiteral("form(3): bad"));
    } catch (const EFilerError& e) {
        EXPECT_STREQ(e.what(), "form(3): bad");
    }
    Exception e(QStringLiteral("first"));
    e.SetMessage(QStringLiteral("second"));
    EXPECT_STREQ(e.what(), "second");
}

} // namespace
