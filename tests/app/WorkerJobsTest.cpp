#include "WorkerJobs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OperationProgress.h"

using namespace torvan;

namespace {

// Records notifications and boxes in one stream, so their order is checked.
class RecordingReport : public WorkerReport {
public:
    std::vector<std::string> events;
    std::vector<ResultMessage> boxes;

    void Notify(int code, int value) override {
        events.push_back("N" + std::to_string(code) + ":" + std::to_string(value));
    }
    void ShowResult(const ResultMessage& message) override {
        events.push_back("box");
        boxes.push_back(message);
    }
    std::string DisplayPath(const std::string& path) override { return "<" + path + ">"; }
};

PackFn FakePack(bool succeed, int files, std::vector<int> percents) {
    return [=](PackJob& job, const ProgressFn& progress) {
        job.fileCount = files;
        for (int p : percents) progress(p);
        job.filesDone = files;
        return succeed;
    };
}

}  // namespace

TEST(WorkerJobs, SuccessfulPackReportsProgressThenCompleteBoxFinished) {
    RecordingReport report;
    PackJob job;
    job.folder = "D:\\www\\site";
    job.archive = "D:\\www\\site.dat.gz";
    EXPECT_TRUE(RunPackJob(job, FakePack(true, 25, {40, 80}), report));
    EXPECT_EQ(report.events,
              (std::vector<std::string>{"N1:40", "N1:80", "N2:0", "box", "N3:0"}));
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_EQ(report.boxes[0].icon, ResultIcon::Information);
    EXPECT_EQ(report.boxes[0].text, "恭喜，成功将 25 个文件压缩成 \"<D:\\www\\site.dat.gz>\" 文件！");
    EXPECT_EQ(job.fileCount, 25);
}

TEST(WorkerJobs, FailedPackSendsOnlyFailedAndNoBox) {
    RecordingReport report;
    PackJob job;
    EXPECT_FALSE(RunPackJob(job, FakePack(false, 0, {}), report));
    EXPECT_EQ(report.events, (std::vector<std::string>{"N4:0"}));
    EXPECT_TRUE(report.boxes.empty());

    // A failure after some progress still ends with FAILED alone.
    RecordingReport late;
    EXPECT_FALSE(RunPackJob(job, FakePack(false, 20, {50}), late));
    EXPECT_EQ(late.events, (std::vector<std::string>{"N1:50", "N4:0"}));
}

TEST(WorkerJobs, EveryUnpackEndsWithCompleteBoxFinished) {
    struct Case {
        UnpackResult result;
        ResultIcon icon;
    };
    for (Case c : {Case{{0, 0}, ResultIcon::Error}, Case{{0, 4}, ResultIcon::Error},
                   Case{{10, 0}, ResultIcon::Information}, Case{{8, 2}, ResultIcon::Warning}}) {
        RecordingReport report;
        std::string seenArchive, seenDestination;
        UnpackFn unpack = [&](const std::string& archive, const std::string& destination,
                              const ProgressFn& progress) {
            seenArchive = archive;
            seenDestination = destination;
            if (c.result.extracted >= 10) progress(100);
            return c.result;
        };
        UnpackResult got = RunUnpackJob("a.dat", "C:\\out", unpack, report);
        EXPECT_EQ(got.extracted, c.result.extracted);
        EXPECT_EQ(seenArchive, "a.dat");
        EXPECT_EQ(seenDestination, "C:\\out");
        std::vector<std::string> expected = {"N2:0", "box", "N3:0"};
        if (c.result.extracted >= 10) expected.insert(expected.begin(), "N1:100");
        EXPECT_EQ(report.events, expected);
        ASSERT_EQ(report.boxes.size(), 1u);
        EXPECT_EQ(report.boxes[0].icon, c.icon);
        // FAILED belongs to packing only.
        for (const auto& e : report.events) EXPECT_NE(e, "N4:0");
    }
}

TEST(WorkerJobs, UnpackBoxNamesTheDestinationAsShown) {
    RecordingReport report;
    RunUnpackJob("a.dat", "C:\\out",
                 [](const std::string&, const std::string&, const ProgressFn&) { return UnpackResult{3, 0}; },
                 report);
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_NE(report.boxes[0].text.find("\"<C:\\out>\""), std::string::npos);
}
