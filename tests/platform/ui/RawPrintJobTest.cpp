#include "CupsTestServer.h"

#include <cups/ipp.h>
#include <gtest/gtest.h>
#include <optional>
#include <rtl/Exceptions.h>
#include <ui/RawPrintJob.h>

namespace {

class RawPrintJob : public ::testing::Test {
protected:
    void SetUp() override { SKIP_OR_FAIL_WITHOUT_CUPS(); }

    // The message of the EPrinterError Action raises; empty when it raises none.
    template <class F> static QString ErrorOf(F Action) {
        try {
            Action();
        } catch (const EPrinterError& e) {
            return e.Message();
        }
        return QString();
    }
};

TEST_F(RawPrintJob, SendsTheBytesUnchangedToTheNamedOrTheDefaultQueue) {
    const QByteArray first("\x1b@Line\r\n\x0c", 9);
    const QByteArray second("\x00\xff\x80 end", 7);
    TRawPrintJob job;
    job.Open(CupsTestQueue());
    job.BeginDoc(QStringLiteral("Raw bytes"));
    EXPECT_TRUE(job.Printing());
    job.Write(first);
    job.Write(second);
    job.EndDoc();
    EXPECT_FALSE(job.Printing());
    EXPECT_EQ(CupsJobOutput(job.JobId()), std::optional<QByteArray>(first + second));

    TRawPrintJob byDefault;
    byDefault.Open(QString());
    EXPECT_EQ(byDefault.Queue(), CupsTestQueue());
    byDefault.BeginDoc(QStringLiteral("Second"));
    byDefault.Write("x");
    byDefault.EndDoc();
    EXPECT_NE(byDefault.JobId(), job.JobId());
    EXPECT_EQ(CupsJobOutput(byDefault.JobId()), std::optional<QByteArray>("x"));
}

TEST_F(RawPrintJob, RefusesQueuesThatDoNotExistOrTakeNoJobs) {
    TRawPrintJob job;
    EXPECT_EQ(ErrorOf([&] { job.Open(QStringLiteral("kro-nowhere")); }),
              QStringLiteral("There is no printer named \"kro-nowhere\""));
    EXPECT_FALSE(job.Opened());
    EXPECT_FALSE(ErrorOf([&] { job.BeginDoc(QStringLiteral("x")); }).isEmpty());

    job.Open(CupsRefusingQueue());
    const QString refused = ErrorOf([&] { job.BeginDoc(QStringLiteral("Refused")); });
    EXPECT_TRUE(refused.startsWith(QStringLiteral("The printer \"kro-refusing\" refuses the job")))
        << refused.toStdString();
    EXPECT_FALSE(job.Printing());
    EXPECT_EQ(CupsActiveJobs(CupsRefusingQueue()), 0);
    EXPECT_FALSE(ErrorOf([&] { job.Write("x"); }).isEmpty()) << "no job to write to";
    EXPECT_FALSE(ErrorOf([&] { job.EndDoc(); }).isEmpty());
}

TEST_F(RawPrintJob, AbortingCancelsTheJobAndTheQueueTakesTheNextOne) {
    TRawPrintJob job;
    job.Open(CupsTestQueue());
    job.BeginDoc(QStringLiteral("Aborted"));
    job.Write("half a page");
    const int aborted = job.JobId();
    job.Abort();
    EXPECT_FALSE(job.Printing());
    EXPECT_EQ(CupsJobState(aborted), IPP_JSTATE_CANCELED);
    EXPECT_EQ(CupsActiveJobs(CupsTestQueue()), 0);

    job.BeginDoc(QStringLiteral("After"));
    job.Write("whole");
    job.EndDoc();
    EXPECT_EQ(CupsJobOutput(job.JobId()), std::optional<QByteArray>("whole"));

    int leftOpen = 0;
    {
        TRawPrintJob dropped;
        dropped.Open(CupsTestQueue());
        dropped.BeginDoc(QStringLiteral("Dropped"));
        dropped.Write("never ended");
        leftOpen = dropped.JobId();
    }
    EXPECT_EQ(CupsJobState(leftOpen), IPP_JSTATE_CANCELED) << "destroying cancels the job";
}

TEST_F(RawPrintJob, AQueueThatGoesInTheMiddleLeavesNoJobBehind) {
    const QString queue = QStringLiteral("kro-vanishing");
    ASSERT_TRUE(AddCupsQueue(queue));
    TRawPrintJob job;
    job.Open(queue);
    job.BeginDoc(QStringLiteral("Orphan"));
    job.Write("first part");
    const int orphan = job.JobId();
    ASSERT_TRUE(DeleteCupsQueue(queue));
    const QString error = ErrorOf([&] {
        job.Write("second part");
        job.EndDoc();
    });
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(job.Printing());
    const int state = CupsJobState(orphan);
    EXPECT_TRUE(state == 0 || state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED)
        << "state " << state;
}

TEST_F(RawPrintJob, WithoutASpoolerOpeningFails) {
    const QByteArray server = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", "/nonexistent/kro/cups.sock");
    TRawPrintJob job;
    const QString error = ErrorOf([&] { job.Open(QString()); });
    qputenv("CUPS_SERVER", server);
    EXPECT_EQ(error,
              QStringLiteral("Cannot reach the print spooler at /nonexistent/kro/cups.sock"));
    EXPECT_FALSE(job.Opened());
    job.Open(QString());
    EXPECT_EQ(job.Queue(), CupsTestQueue()) << "the environment is read again";
}

} // namespace
