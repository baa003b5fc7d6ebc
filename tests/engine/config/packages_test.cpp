// Package lists and their conditions, removing packages, the graphics package choice and
// manifests.
#include "config_fixture.h"

#include "data/datamanager/database.h"
#include "engine/config/packages.h"

namespace {

using Paths = std::vector<std::string>;

class Packages : public config_test::ConfigurationTest {};

TEST_F(Packages, ConditionsDecideWhichEntriesBecomeSearchPathsPakExtensionsAreDroppedRemovingIgnoresThem) {
    QVI_ReplaceText(&g_config.applicationFeatures, "HD");
    Record().video.width = 1024, Record().video.height = 768;
    // A lone '>' or '<' is reported and read as ">=" or "<=".
    QVI_AddPackages("@res>=1024x*:hires,@res>=1025x*:huge,@res==1024x768:exact,@res=1024x768:single,"
                    "@res1024x769:bare,@res<=800x*:small,@resolution=768x1024:tall,@resolution1024x768:wide,"
                    "@open:extra,@feature=HD:hd,@feature=SD:sd,@nocolon,@open:x,y,plain,"
                    "@res>1024x768:x,@res>1000x700:over,@res<2000x*:under",
                    false);
    QVI_AddPackages("data.pak", true);
    EXPECT_EQ(SearchPaths(), (Paths{"res://data/", "res://hires/", "res://exact/", "res://single/", "res://tall/",
                                    "res://wide/", "res://extra/", "res://hd/", "res://plain/", "res://over/",
                                    "res://under/"}));
    EXPECT_EQ(CountReported("prog.xml: res comparison needs to be ==, >=, or <=. 'res>1024x768' is not supported."), 1);
    EXPECT_EQ(CountReported("Adding search path with .pak extension! Remove it from 'data.pak'"), 1);
    // Removing ignores conditions and stops at an empty entry.
    RemoveSearchPaths();
    QVI_AddPackages("aa,bb,cc,dd", false);
    QVI_RemovePackages(String("@feature=NONE:bb,@nocolon,aa,,dd"));
    EXPECT_EQ(SearchPaths(), (Paths{"res://cc/", "res://dd/"}));
}

TEST_F(Packages, OverlongConditionsNeverHoldAndTheWalkStopsAt32OrAnOverlongEntry) {
    // Conditions of 63 characters hold, of 64 never.
    QVI_AddPackages(("@open" + std::string(60, 'x') + ":long,@open" + std::string(59, 'x') + ":short").c_str(), false);
    EXPECT_EQ(SearchPaths(), (Paths{"res://short/"}));
    std::string many;
    for (int i = 0; i < 40; ++i)
        many += "p" + std::to_string(i) + ",";
    QVI_AddPackages(many.c_str(), false);
    EXPECT_EQ(SearchPaths().size(), 1u + 32u);
    EXPECT_EQ(SearchPaths().back(), "res://p31/");
    // An entry of 511 characters is read (its path is too long to add), one of 512 ends the walk.
    QVI_RemovePackages(String(many.c_str()));
    QVI_AddPackages((std::string(511, 'y') + ",read," + std::string(512, 'z') + ",after").c_str(), false);
    EXPECT_EQ(SearchPaths(), (Paths{"res://short/", "res://read/"}));
}

TEST_F(Packages, GfxPackageIsTakenOnlyWhenCloserToTheScreenThanTheReference) {
    g_config.gfxPackages.Assign("gfx-720,gfx_1080,hd");
    Record().video.reference_height = 768, Record().video.height = 1080;
    QVI_AddPackages("gfx-720", false);
    QVI_SelectGfxPackage();
    EXPECT_EQ(SearchPaths(), (Paths{"res://gfx_1080/"}));
    EXPECT_EQ(CountReported("Selecting most fitting gfx package 'gfx_1080'"), 1);
    // Only strictly closer: 720 is as far from 710 as the reference 700 is.
    Record().video.reference_height = 700, Record().video.height = 710;
    QVI_SelectGfxPackage();
    EXPECT_EQ(SearchPaths(), Paths{});
}

TEST_F(Packages, ManifestsAreRegisteredOnceNewestFirstAndOnlyWithAnArray) {
    PutXml("m1.xml", "<array id=\"first\"/>\n");
    PutXml("m2.xml", "<array id=\"second\"/>\n");
    PutXml("empty.xml", "");
    PutXml("manifest-data.xml", "<array id=\"data\"/>\n");
    PutProgramXml(R"(manifest="m1.xml,empty.xml,missing.xml,m2.xml,")");
    ASSERT_TRUE(Read());
    QVI_AddManifest("res://m1.xml");
    ASSERT_EQ(g_config.manifests.count, 2);
    EXPECT_STREQ(g_config.manifests.data[0]->fileName, "res://m2.xml");
    EXPECT_STREQ(g_config.manifestArrays.data[1]->id, "first");
    EXPECT_EQ(CountReported("Added manifest 'res://m1.xml'."), 1);
    EXPECT_EQ(CountReported("Added manifest 'res://empty.xml'."), 1);
    EXPECT_EQ(CountReported("Added manifest 'res://missing.xml'."), 0);
    // Once the configuration has been read, a new search path brings its manifest.
    qv->fileSystem->AddSearchPath("res://data", true);
    ASSERT_EQ(g_config.manifests.count, 3);
    EXPECT_STREQ(g_config.manifestArrays.data[0]->id, "data");
}

}  // namespace
