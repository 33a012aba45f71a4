// Document display on a screen: the stub's window is repainted as soon as the
// viewer has ended, without a message loop in between.
#include "actions/document.h"

#include "action_test_support.h"
#include "package/installer_state.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace actiontest;

TEST(DocumentOnScreen, WindowIsRepaintedWhenTheViewerEnds)
{
    testsupport::TempDir root;
    std::string report = root.Path("report.txt");
    ScopedDocAssociation association("\"" + ProbePath() + "\" \"%1\"");
    ScopedBlock block(testsupport::RandomBytes(100, 4));
    HGLOBAL oldDoc = doc;
    doc = block.get();
    instdoc.dwSize = 100;
    CountingWindow window;
    ASSERT_NE(window.get(), nullptr);

    int before = window.paints();
    int result;
    {
        ScopedEnvironment scopedReport(kReportVariable, report.c_str());
        result = DisplayDocument(window.get());
    }
    doc = oldDoc;
    ASSERT_EQ(result, 1);
    EXPECT_EQ(ReadProbeReport(report)["end"], "1");
    EXPECT_GT(window.paints(), before);
}

}  // namespace
