// How the sandbox tells what the effect makes of a block, the notes it gives
// on a scene, quoted words and printable messages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scene/effect_block_reading.h"
#include "scene/printable_text.h"
#include "scene/scene_notes.h"
#include "scene/scene_reader.h"
#include "scene/scene_words.h"

namespace plix::scene {
namespace {

using Kind = BlockLineReading::Kind;

TEST(EffectBlockReading, FollowsTheEffectsOwnRules) {
    const BlockReading r = readEffectBlock({"PLIX_START", "AgeM 7", "S 12", "Re 3", "Avoid 5", "V0Min two",
                                            "Birth 59.99", "V0Max", "SpreadMin 1,5", "v0min 2", "RE", "AgeMax 99",
                                            "Gravity 1d1", "PLIX", "V0Min 9"});
    EXPECT_EQ(r.settings.ageMin, 7);
    EXPECT_EQ(r.settings.startFrame, 12); // START_F is tested before SpreadMin
    EXPECT_EQ(r.settings.regist, 3.0);
    EXPECT_EQ(r.settings.avoidX, 5.0);
    EXPECT_EQ(r.settings.v0Min, 0.0);     // 'two' reads as 0
    EXPECT_EQ(r.settings.birthRate, 59);
    EXPECT_EQ(r.settings.v0Max, 59.99);   // the value of the line before
    EXPECT_EQ(r.settings.spreadMin, 1);
    EXPECT_EQ(r.settings.ageMax, 60);     // the reference name line is no setting
    EXPECT_EQ(r.settings.gravity, 10.0);
    EXPECT_EQ(r.lines[9].kind, Kind::Ignored);
    EXPECT_EQ(r.lines[10].kind, Kind::Reference);
    EXPECT_EQ(r.lines[11].kind, Kind::ReferenceName);
    EXPECT_EQ(r.lines[13].kind, Kind::End);
    EXPECT_EQ(r.lines[14].kind, Kind::Unread);
    EXPECT_EQ(r.endLine, 13u);
}

TEST(EffectBlockReading, AFirstLineThatIsNotTheOpeningReadsNothing) {
    const BlockReading r = readEffectBlock({"V0Min 3", "PLIX_START", "V0Min 4"});
    EXPECT_EQ(r.lines[0].kind, Kind::NotOpening);
    EXPECT_EQ(r.lines[1].kind, Kind::Unread);
    EXPECT_EQ(r.settings.v0Min, 1.0);
    EXPECT_EQ(readEffectBlock({"", "V0Min 4"}).settings.v0Min, 4.0); // an empty first line opens
}

TEST(EffectBlockReading, ValuesHeldAsTheEffectHoldsThem) {
    const BlockReading r = readEffectBlock({"PLIX_START", "Birth 1e12", "AgeMin -3.7", "V0Min 1e999", "V0Max 1e-999",
                                            "AgeMax", "PLIX_END"});
    EXPECT_EQ(r.settings.birthRate, 2147483647);
    EXPECT_EQ(r.settings.ageMin, -3);
    EXPECT_TRUE(std::isinf(r.settings.v0Min));
    EXPECT_EQ(r.settings.v0Max, 0.0);
    EXPECT_EQ(r.settings.ageMax, 0); // takes 1e-999, read as 0
    EXPECT_FALSE(readEffectBlock({"PLIX_START", "V0Min"}).lines[1].valueFrom.has_value());
}

TEST(EffectBlockReading, ReadsAtMost4096LinesAfterTheOpening) {
    std::vector<std::string> lines{"PLIX_START"};
    for (int i = 0; i < 4100; ++i) lines.push_back("Gravity " + std::to_string(i));
    const BlockReading r = readEffectBlock(lines);
    EXPECT_EQ(r.settings.gravity, 4095.0);
    EXPECT_EQ(r.lines[4097].kind, Kind::Unread);
}

std::vector<std::string> noteTexts(const std::string &sceneText) {
    std::vector<std::string> texts;
    for (const SceneNote &note : sceneNotes(readSceneText(sceneText, "n.scene", "."), "n.scene"))
        texts.push_back(note.formatted());
    return texts;
}

bool hasNote(const std::vector<std::string> &notes, const std::string &part) {
    for (const std::string &note : notes)
        if (note.find(part) != std::string::npos) return true;
    return false;
}

std::string joinedNotes(const std::vector<std::string> &notes) {
    std::string all;
    for (const std::string &note : notes) all += note + "\n";
    return all;
}

TEST(SceneNotes, AnOrdinarySceneHasNone) {
    EXPECT_TRUE(noteTexts("object A\n  points 3000\n  effect\n  | PLIX_START\n  | V0Min 3.000000\n  | PLIX_END\n")
                    .empty());
    EXPECT_TRUE(noteTexts("object A\n  points 60\n  effect\n").empty());
}

TEST(SceneNotes, DriftingEmissionSaysWhenItStops) {
    // 30 x 100 / 70: a period of 42 frames, births 6/7 frame later each
    // cycle; from frame 2057 no spark is shown.
    const auto notes = noteTexts("object A\n  points 100\n  effect\n  | PLIX_START\n  | Birth 70\n  | PLIX_END\n");
    ASSERT_EQ(notes.size(), 1u) << joinedNotes(notes);
    EXPECT_EQ(notes[0].rfind("n.scene:5: note: on object 'A': 30 x 100 points / Birth 70 = ", 0), 0u) << notes[0];
    EXPECT_NE(notes[0].find("every 42 frames"), std::string::npos) << notes[0];
    EXPECT_NE(notes[0].find("none is in flight from about frame 2057"), std::string::npos) << notes[0];
    // Without recycling nothing is renewed, so nothing drifts.
    EXPECT_TRUE(noteTexts("object A\n  points 100\n  effect\n  | PLIX_START\n  | Birth 70\n  | ReCycle 0\n").empty());
}

TEST(SceneNotes, BirthRatesWithoutAPeriod) {
    EXPECT_TRUE(hasNote(noteTexts("object A\n  points 1\n  effect\n"), "every spark is emitted at once, at frame 0"));
    EXPECT_TRUE(hasNote(noteTexts("object A\n  points 9\n  effect\n  | PLIX_START\n  | Birth 0\n"),
                        "n.scene:5: note: on object 'A': Birth 0: the effect emits no spark"));
}

TEST(SceneNotes, RateBelow30SaysSparksStartWithAHeadStart) {
    const auto notes = noteTexts("fps 25\nframes 0 149\nobject A\n  points 60\n  effect\n");
    ASSERT_EQ(notes.size(), 1u) << joinedNotes(notes);
    EXPECT_NE(notes[0].find("n.scene:1: note: the effect counts 30 frames per second"), std::string::npos);
    EXPECT_NE(notes[0].find("(0.99 s at frame 149)"), std::string::npos) << notes[0];
}

TEST(SceneNotes, RateAbove30WithALateStartShowsNoSpark) {
    const auto notes = noteTexts("fps 60\nobject A\n  points 60\n  effect\n  | PLIX_START\n  | START_F 100\n");
    EXPECT_TRUE(hasNote(notes, "so no spark is ever in flight")) << joinedNotes(notes);
}

TEST(SceneWords, QuotedWordsReadBackUnchanged) {
    for (const std::string text : {"plain", "sp ace/ring.obj", "tab\there", "hash#mark", "quote\"inside",
                                   "back\\slash", "C:\\meshes\\", "", "\"leading", "trailing\\"}) {
        const std::vector<std::string> words = splitWords("mesh " + sceneWord(text) + "  # comment");
        ASSERT_EQ(words.size(), 2u) << text;
        EXPECT_EQ(words[1], text);
    }
    EXPECT_EQ(sceneWord("plain"), "plain");
    EXPECT_EQ(sceneWord("sp ace"), "\"sp ace\"");
    EXPECT_EQ(splitWords("mesh a\"b c"), (std::vector<std::string>{"mesh", "a\"b", "c"}));
    EXPECT_EQ(splitWords("mesh \"C:\\my meshes\\r.obj\""), (std::vector<std::string>{"mesh", "C:\\my meshes\\r.obj"}));
    EXPECT_THROW(splitWords("mesh \"open"), WordError);
    EXPECT_THROW(splitWords("mesh \"a\"b"), WordError);
    EXPECT_THROW(sceneWord("line\nbreak"), WordError);
}

TEST(PrintableText, EscapesWhatATerminalWouldObey) {
    EXPECT_EQ(printable("plain text"), "plain text");
    EXPECT_EQ(printable("\x1b[31mred"), "\\x1B[31mred");
    EXPECT_EQ(printable(std::string("zero\0byte", 9)), "zero\\x00byte");
    EXPECT_EQ(printable("caf\xC3\xA9"), "caf\xC3\xA9");        // UTF-8 kept
    EXPECT_EQ(printable("\xC2\x9B" "2J"), "\\xC2\\x9B2J");      // C1 control escaped
    EXPECT_EQ(printable("\xFF\xC3"), "\\xFF\\xC3");             // not UTF-8
}

} // namespace
} // namespace plix::scene
