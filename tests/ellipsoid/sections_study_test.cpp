#include "ellipsoid/sections_study.h"

#include <gtest/gtest.h>

#include <cmath>

#include "input/sections_table.h"
#include "tests/support/test_folder.h"

namespace varnel::ellipsoid {
namespace {

TEST(ReadSectionsTable, ReadsEachLayoutAndNamesTheLineOfAFault) {
    testing_support::TestFolder folder;
    struct Case {
        const char* table;
        const char* fault;  // a part of the error, or nullptr when the table reads
    };
    const Case cases[] = {
        {"Name;Strike;Dip;R;Phi\nh;0;0;2,5;60\nv;10,5;90;1,5;-3\n\nw;90;90;2;8,25\n"
         "u;-90;45;2;135;\n",
         nullptr},
        {"sample\tfile\tdip\tstrike\nA\tdata/h.txt\t0\t0\nB\t/abs/v.txt\t90\t10\n", nullptr},
        {"name,strike,dip\nh,0,0\n",
         "line 1: the header must name the columns strike and dip, and file or R and phi"},
        {"name,strike,dip,R,phi\nh,0,0,2.5,60\nv,east,90,1.5,3\n",
         "line 3: strike 'east' is not a number"},
        {"name,strike,dip,R,phi\nh,0,,2.5,60\n", "line 2: a section needs its strike and dip"},
        {"name,strike,dip,R,phi\nh,0,0,2.5,\n", "line 2: a section needs a file or its R and phi"},
        {"\n\n", "the table is empty"},
        {"name,strike,dip,R,phi\nh,0,0,2,1e300\n",
         "line 2: phi '1e300' is not between -360 and 360"},
        {"name,strike,dip,R,phi\nh,400,0,2,10\n",
         "line 2: strike '400' is not between -360 and 360"},
        {"name,strike,dip,R,phi\nh,0,0,0,10\n", "line 2: R '0' is not between 1 and 1000000"},
        {"name,strike,dip,R,phi\nh,0,-5,2,10\n", "line 2: dip '-5' is not between 0 and 90"},
        {"name,strike,dip,R,phi\nh,0,0,inf,10\n", "line 2: R 'inf' is not a number"},
        {"name,strike,dip,R,phi,Phi\nh,0,0,2,10,10\n", "line 1: columns 5 and 6 both name phi"},
        {"name,strike,dip,R,phi\nh,0,0,2,10,,x\n",
         "line 2: column 7 holds 'x' but the header names 5 columns"},
        {"name,strike,dip,file,R,phi\nh,0,0,h.txt,2,\n",
         "line 2: give either a file or R and phi, not both"},
        {"name,strike,dip,R,phi\rh,0,0,2,10\r", "end in CR only"},
    };
    // A missing table gives the system's reason in English too.
    try {
        ReadSectionsTable((folder.Path() / "none.csv").string());
        ADD_FAILURE() << "read";
    } catch (const SectionsTableError& error) {
        EXPECT_NE(std::string(error.what()).find("\nfile not found: "), std::string::npos);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        const std::string path = folder.Write("t.csv", c.table);
        if (c.fault) {
            try {
                ReadSectionsTable(path);
                ADD_FAILURE() << "read";
            } catch (const SectionsTableError& error) {
                EXPECT_NE(std::string(error.what()).find(c.fault), std::string::npos)
                    << error.what();
            }
            continue;
        }
        const std::vector<SectionRow> rows = ReadSectionsTable(path);
        ASSERT_GE(rows.size(), 2u);
        if (rows[0].hasStrain) {
            ASSERT_EQ(rows.size(), 4u);
            // Strike and φ reduced to [0°, 360°) and (−90°, 90°].
            EXPECT_EQ(rows[3].strikeDegrees, 270.0);
            EXPECT_EQ(rows[3].phiDegrees, -45.0);
            EXPECT_EQ(rows[1].name, "v");
            EXPECT_EQ(rows[1].strikeDegrees, 10.5);
            EXPECT_EQ(rows[0].R, 2.5);
            EXPECT_EQ(rows[2].phiDegrees, 8.25);
            EXPECT_EQ(rows[2].line, 5);
        } else {
            EXPECT_EQ(rows[0].sample, "A");
            EXPECT_EQ(rows[0].file, (folder.Path() / "data/h.txt").string());
            EXPECT_EQ(rows[1].file, "/abs/v.txt");
            EXPECT_EQ(rows[1].name, "line 3");
        }
    }
}

TEST(StudySections, FitsTheSectionsOfEachSampleFromTheTable) {
    testing_support::TestFolder folder;
    // The sections of X:Y:Z = 2:1:0.5 turned by Rz 30° and then about its own x by 20°, to the
    // digits a user would copy; a second sample lies in one plane twice.
    const std::string path =
        folder.Write("t.csv",
                     "sample,name,strike,dip,R,phi\n"
                     "a,h,0,0,2.324593,60\na,ns,0,90,2.168588,-16.491\na,ew,90,90,2.867828,8.5765\n"
                     "b,h,0,0,2,10\nb,h2,180,0,2,10\nb,v,0,90,1.5,3\nc,h,0,0,2,10\n");
    const std::vector<SampleStudy> studies = StudySections(path, '.');
    ASSERT_EQ(studies.size(), 3u);
    EXPECT_EQ(studies[2].refusal, "sample c: 3 or more sections are needed; the sample holds 1");
    ASSERT_TRUE(studies[0].fit);
    const auto& axes = studies[0].fit->axes;
    EXPECT_NEAR(axes[0].length, 2.0, 2e-5);
    EXPECT_NEAR(axes[1].length, 1.0, 2e-5);
    EXPECT_NEAR(axes[2].length, 0.5, 2e-5);
    // X is horizontal: either end of it, 60° or 240°.
    EXPECT_NEAR(std::fmod(axes[0].line.trendDegrees, 180.0), 60.0, 1e-3);
    EXPECT_NEAR(axes[0].line.plungeDegrees, 0.0, 1e-3);
    EXPECT_FALSE(studies[1].fit);
    EXPECT_NE(studies[1].refusal.find("sample b: the planes"), std::string::npos);
}

TEST(StudySections, NamesTheSectionWhoseFileFails) {
    testing_support::TestFolder folder;
    folder.Write("h.txt", "2,10\n2.5,40\n1.5,-20\n1.8,75\n");
    const std::string path = folder.Write("t.csv",
                                          "name,strike,dip,file\nh,0,0,h.txt\nv,0,90,missing.txt\n"
                                          "w,90,90,h.txt\n");
    try {
        StudySections(path, '.');
        ADD_FAILURE() << "studied";
    } catch (const SectionsRefused& error) {
        // The section on its own line, each of the file's messages indented beneath.
        const std::string missing = (folder.Path() / "missing.txt").string();
        EXPECT_EQ(std::string(error.what()),
                  "section v (" + missing +
                      "):\n  Invalid data file\n  Execution terminated\n  file not found: " +
                      missing + " (No such file or directory)");
    }
}

TEST(BootstrapEllipsoid, IsTheSameForASeedAndHoldsTheEstimate) {
    const std::string table = std::string(VARNEL_EXAMPLES_DIR) + "/sections/gneiss_sections.csv";
    const std::vector<SampleStudy> studies = StudySections(table, '.');
    ASSERT_EQ(studies.size(), 1u);
    ASSERT_TRUE(studies[0].fit);
    EXPECT_EQ(studies[0].sections[0].N, 120);
    const EllipsoidBootstrap a = *BootstrapEllipsoid(studies[0], 400, 7);
    const EllipsoidBootstrap b = *BootstrapEllipsoid(studies[0], 400, 7);
    const EllipsoidBootstrap c = *BootstrapEllipsoid(studies[0], 400, 8);
    ASSERT_TRUE(a.estimated);
    EXPECT_EQ(a.XY.lo, b.XY.lo);
    EXPECT_EQ(a.coneDegrees[2], b.coneDegrees[2]);
    EXPECT_NE(a.XY.lo, c.XY.lo);
    const auto& axes = studies[0].fit->axes;
    const double XY = axes[0].length / axes[1].length;
    EXPECT_LT(a.XY.lo, XY);
    EXPECT_GT(a.XY.hi, XY);
    EXPECT_LT(a.k.lo, studies[0].fit->shape.k);
    EXPECT_GT(a.k.hi, studies[0].fit->shape.k);
    for (double cone : a.coneDegrees) EXPECT_GT(cone, 0.0);
    // All samples at once: the same numbers, B resamples counted for each; cancelled, none.
    struct Count : ProgressSink {
        int maximum = 0, position = 0;
        void SetMaximum(int m) override { maximum = m; }
        void SetPosition(int p) override { position = p; }
    } count;
    std::vector<SampleStudy> all = studies;
    ASSERT_TRUE(BootstrapStudies(all, 400, 7, 95, &count));
    EXPECT_EQ(all[0].bootstrap->XY.lo, a.XY.lo);
    EXPECT_EQ(count.maximum, 400);
    EXPECT_EQ(count.position, 400);
    const std::atomic<bool> cancel{true};
    std::vector<SampleStudy> cancelled = studies;
    EXPECT_FALSE(BootstrapStudies(cancelled, 400, 7, 95, nullptr, &cancel));
    EXPECT_FALSE(cancelled[0].bootstrap);
}

}  // namespace
}  // namespace varnel::ellipsoid
