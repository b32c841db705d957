// The speech tag reader over a table of statements: every tag, tags together, escapes, and broken input.
#include <gtest/gtest.h>

#include "agent/speech/speech_tag_parser.h"

namespace agent::speech {
namespace {

// A compact picture of a parsed statement so each table row reads at a glance:
// [text] or [spoken=>shown], then {settings that differ from the defaults}; (pau N) and (mrk N) for the rest.
std::string describe(const SpeechText& text) {
    std::string out;
    for (const SpeechElement& element : text.elements) {
        if (const auto* pause = std::get_if<Pause>(&element)) {
            out += "(pau " + std::to_string(pause->ms) + ")";
        } else if (const auto* mark = std::get_if<Bookmark>(&element)) {
            out += "(mrk " + std::to_string(mark->id) + ")";
        } else {
            const auto& piece = std::get<TextPiece>(element);
            out += "[" + piece.spoken.toStdString();
            out += (piece.shown != piece.spoken ? "=>" + piece.shown.toStdString() : "") + "]";
            const VoiceSettings& s = piece.settings;
            std::string attrs;
            const auto add = [&](bool differs, const std::string& attr) {
                attrs += differs ? (attrs.empty() ? "" : ",") + attr : "";
            };
            add(s.character == VoiceCharacter::Whisper, "whisper");
            add(s.character == VoiceCharacter::Monotone, "monotone");
            add(s.context == TextContext::Email, "ctx=email");
            add(s.context == TextContext::Address, "ctx=address");
            add(s.pitchHz != 0, "pit=" + std::to_string(s.pitchHz));
            add(s.speedWpm != 0, "spd=" + std::to_string(s.speedWpm));
            add(s.volume != 65535, "vol=" + std::to_string(s.volume));
            add(piece.emphasized, "emp");
            out += attrs.empty() ? "" : "{" + attrs + "}";
        }
    }
    return out;
}

// A statement and its picture.
const std::pair<const char*, const char*> kRows[] = {
    {"", ""},
    {R"(\chr="WHISPER"\a\Chr=Monotone\b\Chr="Normal"\c)", "[a]{whisper}[b]{monotone}[c]"},
    {R"(\Ctx="Email"\x\Ctx="Address"\y\Ctx="Unknown"\z)", "[x]{ctx=email}[y]{ctx=address}[z]"},
    {R"(I \emp\  really mean it)", "[I   ][really]{emp}[ mean it]"},
    {R"(Wait\Pau = 500 \now\Pau=0\\Pau=999999\)", "[Wait](pau 500)[now](pau 0)(pau 60000)"},
    {R"(a\Mrk=42\b)", "[a](mrk 42)[b]"},
    {R"(\Pit=150\\Spd="200"\\Vol=32768\Hi)", "[Hi]{pit=150,spd=200,vol=32768}"},
    {R"(\Vol=0\x\Vol=65535\y)", "[x]{vol=0}[y]"},
    {R"(\Spd=300\\Chr="Whisper"\a\Rst\b)", "[a]{whisper,spd=300}[b]"},
    {R"(It is \Map="ten"="10:00"\ now)", "[It is ][ten=>10:00][ now]"},
    {R"(\Map=""="a\b"\!)", "[=>a\\b][!]"},
    {R"(C:\\dir)", "[C:\\dir]"},
    // Tags together: settings add up, emphasis carries through a mapped word and a change of settings.
    {R"(\Chr="Whisper"\a \Emp\b \Pit=200\c)",
     "[a ]{whisper}[b]{whisper,emp}[ ]{whisper}[c]{whisper,pit=200}"},
    {R"(\Emp\\Map="x"="y"\ z)", "[x=>y]{emp}[ z]"},
    {R"(\Emp\wo\Pit=90\rd end)", "[wo]{emp}[rd]{pit=90,emp}[ end]{pit=90}"},
    {R"(\Emp\\Pau=10\word)", "(pau 10)[word]{emp}"},
    // Whatever is wrong with a tag, it vanishes alone: nothing of it is spoken or shown, the text around it
    // stays. A tag that never closes is dropped up to the next space.
    {R"(Hello \Foo=1\wo\Foo\rld)", "[Hello world]"},
    {R"(Hello \Pau=500 world)", "[Hello  world]"},
    {R"(\Map="abc\ rest)", "[ rest]"},
    {R"(\\\\\Vol=1\x)", "[\\\\][x]{vol=1}"}};

TEST(SpeechTagParser, ReadsEachTagCombinesNestedTagsDropsBrokenTagsAloneAndRepeatsTheLastStatement) {
    for (const auto& [input, expected] : kRows) {
        EXPECT_EQ(describe(SpeechTagParser().parse(QString::fromUtf8(input))), expected) << input;
    }
    // Broken tags before the letter a: each statement reads as just "[a]".
    for (const char* input :
         {R"(\Vol=70000\a)", R"(\Vol=-1\a)", R"(\Spd=fast\a)", R"(\Spd=0\a)", R"(\Pit=\a)",
          R"(\Chr="Loud"\a)", R"(\Ctx="Postal"\a)", R"(\Pau=-5\a)", R"(\Pau=1=2\a)", R"(\Mrk=99999999999\a)",
          R"(\Emp=1\a)", R"(\Map="only one"\a)", R"(\Map=a=b\a)"}) {
        EXPECT_EQ(describe(SpeechTagParser().parse(QString::fromUtf8(input))), "[a]") << input;
    }

    // \Lst\ repeats the previous statement with its settings.
    SpeechTagParser parser;
    EXPECT_TRUE(parser.parse(R"(\Lst\)").isEmpty()) << "nothing was said before";

    const SpeechText first = parser.parse(R"(\Chr="Whisper"\Hello \Emp\there)");
    EXPECT_EQ(parser.parse(R"(\lst\)"), first);
    EXPECT_EQ(parser.parse(R"(\LST\)"), first) << "a repeat is itself the last statement";

    EXPECT_EQ(describe(parser.parse(R"(Again: \Lst\!)")),
              "[Again: ][Hello ]{whisper}[there]{whisper,emp}[!]");

    // Settings do not leak into the next statement.
    parser.parse(R"(\Chr="Whisper"\\Spd=300\\Emp\)");
    EXPECT_EQ(describe(parser.parse("plain")), "[plain]");
}

}  // namespace
}  // namespace agent::speech
