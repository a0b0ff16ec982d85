// Reading and composing the exclusion markers of extensionAttribute10.
#include "rules/Markers.h"

#include <gtest/gtest.h>

using rules::composeMarkers;
using rules::readMarkers;
using rules::Switches;

namespace {

TEST(MarkerReading, SwitchesFollowExactPieces) {
    struct Read { const char* value; bool in, out; };
    for (const Read& r : {Read{"", true, true}, Read{"###NoArcIn", false, true}, Read{"###NoArcOut###NoArcIn", false, false},
                          Read{"cost centre 7###NoArcOut", true, false},
                          // case matters when reading; free text before the first ### is never a marker
                          Read{"###noarcin", true, true}, Read{"NoArcIn###x", true, true},
                          // empty and unknown pieces mean nothing; repetitions do not matter
                          Read{"###NoArcIn###", false, true}, Read{"###NoArcIn###NoArcIn", false, true},
                          Read{"###NoArcInX", true, true},
                          // a marker after free text ending in "#" is still a whole piece
                          Read{"####NoArcIn", false, true}, Read{"a#####NoArcOut###x", true, false}}) {
        const Switches s = readMarkers(QString::fromUtf8(r.value));
        EXPECT_EQ(s.ingoing, r.in) << r.value;
        EXPECT_EQ(s.outgoing, r.out) << r.value;
    }
}

TEST(MarkerComposing, AppendsMarkersInFixedOrderAfterFreeText) {
    EXPECT_EQ(composeMarkers("", {true, true}), "");
    EXPECT_EQ(composeMarkers("", {false, false}), "###NoArcIn###NoArcOut");
    EXPECT_EQ(composeMarkers("###NoArcOut", {false, false}), "###NoArcIn###NoArcOut");
    EXPECT_EQ(composeMarkers("free text###NoArcOut", {true, true}), "free text");
    EXPECT_EQ(composeMarkers("free text", {true, false}), "free text###NoArcOut");
}

TEST(MarkerComposing, RemovesOnlyFirstOccurrenceWithoutRegardToCase) {
    // a lower-case marker is not read, but it is replaced when the row is written
    EXPECT_EQ(composeMarkers("###noarcin", {true, true}), "");
    EXPECT_EQ(composeMarkers("###NOARCOUT###noarcin", {false, true}), "###NoArcIn");
    // a marker stored twice: switching ingoing back on leaves the second copy
    const QString once = composeMarkers("###NoArcIn###NoArcIn", {true, true});
    EXPECT_EQ(once, "###NoArcIn");
    EXPECT_FALSE(readMarkers(once).ingoing);
}

TEST(MarkerComposing, ComposedValueReadsBackAsTheSwitches) {
    for (const char* stored : {"", "abc", "abc###NoArcIn", "###NoArcOut###other", "###", "note#", "##"}) {
        for (bool in : {true, false}) {
            for (bool out : {true, false}) {
                const Switches s = readMarkers(composeMarkers(QString::fromUtf8(stored), {in, out}));
                EXPECT_EQ(s.ingoing, in) << stored;
                EXPECT_EQ(s.outgoing, out) << stored;
            }
        }
    }
}
}  // namespace
