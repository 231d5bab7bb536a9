#include "core/file_type.h"

#include <gtest/gtest.h>

namespace kinemo {
namespace {

TEST(FileType, IsDecidedByTheFinalExtensionOnly) {
    EXPECT_EQ(fileTypeOf("/home/a/old.wrl/guide.bvr"), FileTypeBvr);
    EXPECT_EQ(fileTypeOf("/home/a/guide.bvr.wrl"), FileTypeWrl);
    EXPECT_EQ(fileTypeOf("/data.bvr/guide"), FileTypeNone);
    EXPECT_EQ(fileTypeOf("C:\\guides.iv\\pump.ros"), FileTypeRos);
    EXPECT_EQ(fileTypeOf("pack.exe"), FileTypeExe);
}

TEST(FileType, IsCaseSensitive) {
    EXPECT_EQ(fileTypeOf("model.WRL"), FileTypeNone);
    EXPECT_EQ(fileTypeOf("model.Bvr"), FileTypeNone);
}

TEST(FileType, KnowsEveryDocumentType) {
    EXPECT_EQ(fileTypeOf("a.iv"), FileTypeIv);
    EXPECT_EQ(fileTypeOf("a.u3d"), FileTypeU3d);
    EXPECT_EQ(fileTypeOf("a.pdf"), FileTypePdf);
    EXPECT_TRUE(isBinaryDocumentType(fileTypeOf("a.exe")));
    EXPECT_FALSE(isBinaryDocumentType(fileTypeOf("a.iv")));
    EXPECT_STREQ(fileTypeName(FileTypeBvr), "Binary VR File");
}

}  // namespace
}  // namespace kinemo
