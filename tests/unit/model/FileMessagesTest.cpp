// What a user is shown for each way a file can fail to read or write, by the codec's error code.
#include "formats/FileMessages.h"
#include "formats/TimImage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane {
namespace {

using Messages = std::vector<std::string_view>;

TEST(FileMessages, EachErrorShowsItsMessagesInOrder) {
    struct TmdRead {
        TmdReadError error;
        Messages shown;
    };
    for (const TmdRead& c : {TmdRead{TmdReadError::truncatedHeader, {"Bad TMD file"}},
                             TmdRead{TmdReadError::badId, {"Bad TMD file header"}},
                             TmdRead{TmdReadError::badObjectTable, {"Bad TMD file"}},
                             TmdRead{TmdReadError::badFile, {"Bad TMD file"}},
                             TmdRead{TmdReadError::noRecordMemory, {"Insufficient memory", "Bad TMD file"}}})
        EXPECT_EQ(TmdReadMessages(c.error), c.shown) << static_cast<int>(c.error);

    struct TmdWrite {
        TmdWriteError error;
        Messages shown;
    };
    for (const TmdWrite& c : {TmdWrite{TmdWriteError::noMemory, {"Not enough memory"}},
                              TmdWrite{TmdWriteError::noVertexMemory, {"Not enough memory for verts"}},
                              TmdWrite{TmdWriteError::noNormalMemory, {"Not enough memory for norms"}},
                              TmdWrite{TmdWriteError::tooManyVertices, {"Too many vertices in object"}},
                              TmdWrite{TmdWriteError::tooManyNormals, {"Too many normals in object"}}})
        EXPECT_EQ(TmdWriteMessages(c.error), c.shown) << static_cast<int>(c.error);

    struct Lwo {
        LwoError error;
        Messages shown;
    };
    for (const Lwo& c :
         {Lwo{LwoError::truncatedHeader, {"Not an IFF file"}}, Lwo{LwoError::notIff, {"Not an IFF file"}},
          Lwo{LwoError::notLwob, {"Not an LWOB object file"}},
          Lwo{LwoError::unreadable, {"Could not read file"}}, Lwo{LwoError::noPoints, {"No PNTS chunk"}},
          Lwo{LwoError::noRecordMemory, {"Insufficient memory for POLS"}}})
        EXPECT_EQ(LwoImportMessages(c.error), c.shown) << static_cast<int>(c.error);
}

TEST(FileMessages, EveryCodecErrorHasItsOwnText) {
    std::set<std::string> tmd;
    for (int e = 0; e <= static_cast<int>(TmdReadError::noRecordMemory); ++e)
        tmd.insert(TmdReadErrorText(static_cast<TmdReadError>(e)));
    EXPECT_EQ(tmd.size(), 5u);
    std::set<std::string> tim;
    for (int e = 0; e <= static_cast<int>(TimError::truncatedPixels); ++e)
        tim.insert(TimErrorText(static_cast<TimError>(e)));
    EXPECT_EQ(tim.size(), 9u);
    EXPECT_EQ(tim.count("Unknown TIM error"), 0u);
}

} // namespace
} // namespace polyvane
