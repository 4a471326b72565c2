#include <gtest/gtest.h>

#include "delivery/working_files.h"

using namespace tessel;

TEST(WorkingFiles, SitBesideTheOutput) {
    EXPECT_EQ(WorkingFileName("12-0", ".part"), u"~tessel-12-0.part");
    // Only names of that making are swept as stale working files.
    for (const char* ours : {"~tessel-12-0.part", "~tessel-1-99.head", "~tessel-7-3.log"})
        EXPECT_TRUE(WorkingFileOwner(Utf8ToWide(ours))) << ours;
    EXPECT_EQ(WorkingFileOwner(u"~tessel-4294967295-12.log"), 4294967295ul);
    for (const char* other : {"~tessel-12-0.xml", "~tessel--0.part", "~tessel-12-.part", "~tessel-1x-0.part",
                              "~tessel-12.part", "~TESSEL-1-0.part", "x~tessel-1-0.part", "~tessel-1-0.part.bak", "~tessel-1.2-0.log", "~tessel-4294967296-0.part",
                              ".part", "~tessel-.head", "job result.xml"})
        EXPECT_FALSE(WorkingFileOwner(Utf8ToWide(other))) << other;
    EXPECT_EQ(FolderOf(u"C:\\\u041e\u0442\\r.xml"), u"C:\\\u041e\u0442\\");
    EXPECT_EQ(FolderOf(u"C:r.xml"), u"C:");
    EXPECT_EQ(FolderOf(u"C:/out/r.xml"), u"C:/out/");
    EXPECT_EQ(FolderOf(u"r.xml"), u"");
    // curl runs only from a drive's root or a share, never the host's current directory.
    for (const char16_t* absolute : {u"C:\\Tools", u"d:/tools", u"\\\\server\\share"})
        EXPECT_TRUE(IsAbsoluteFolder(absolute)) << ToUtf8(absolute);
    for (const char16_t* relative : {u"", u"Tools", u"\\Tools", u"C:Tools", u"\\\\\\x", u"1:\\x"})
        EXPECT_FALSE(IsAbsoluteFolder(relative)) << ToUtf8(relative);
}

TEST(WorkingFiles, LongFolders) {
    // curl's folder: as it is while a working file fits after it within MAX_PATH, else
    // the short form, else none.
    const WideString fits = u"C:\\" + WideString(259 - 26 - 4, u'a') + u"\\";  // 259 with the longest name
    EXPECT_EQ(CurlFolder(fits, u"C:\\AAAA~1\\"), fits);
    EXPECT_EQ(CurlFolder(fits + u"a", u"C:\\AAAA~1\\"), u"C:\\AAAA~1\\");
    EXPECT_FALSE(CurlFolder(fits + u"a", u""));
    EXPECT_FALSE(CurlFolder(fits + u"a", fits + u"a"));
    EXPECT_EQ(ExtendedLengthPath(u"C:\\out/r.xml"), u"\\\\?\\C:\\out\\r.xml");
    EXPECT_EQ(ExtendedLengthPath(u"\\\\srv\\share\\r.xml"), u"\\\\?\\UNC\\srv\\share\\r.xml");
    for (const char16_t* as : {u"r.xml", u"\\\\?\\C:\\x", u"\\\\.\\pipe\\x", u"\\\\?\\UNC\\s\\h"})
        EXPECT_EQ(ExtendedLengthPath(as), as);
    for (const char16_t* path : {u"C:\\out\\r.xml", u"\\\\srv\\share\\r.xml"})
        EXPECT_EQ(PlainPath(ExtendedLengthPath(path)), path);
}
