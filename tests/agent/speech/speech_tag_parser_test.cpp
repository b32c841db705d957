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
            continue;
        }
        if (const auto* mark = std::get_if<Bookmark>(&element)) {
            out += "(mrk " + std::to_string(mark->id) + ")";
            continue;
        }
        const auto& piece = std::get<TextPiece>(element);
        out += "[" + piece.spoken.toStdString();
        if (piece.shown != piece.spoken) {
            out += "=>" + piece.shown.toStdString();
        }
        out += "]";
        std::vector<std::string> attrs;
        const VoiceSettings& s = piece.settings;
        if (s.character != VoiceCharacter::Normal) {
            attrs.push_back(s.character == VoiceCharacter::Whisper ? "whisper" : "monotone");
        }
        if (s.context != TextContext::Unknown) {
            attrs.push_back(s.context == TextContext::Email ? "ctx=email" : "ctx=address");
        }
        if (s.pitchHz != 0) {
            attrs.push_back("pit=" + std::to_string(s.pitchHz));
        }
        if (s.speedWpm != 0) {
            attrs.push_back("spd=" + std::to_string(s.speedWpm));
        }
        if (s.volume != 65535) {
            attrs.push_back("vol=" + std::to_string(s.volume));
        }
        if (piece.emphasized) {
            attrs.push_back("emp");
        }
        for (size_t i = 0; i < attrs.size(); ++i) {
            out += (i ? "," : "{") + attrs[i] + (i + 1 == attrs.size() ? "}" : "");
        }
    }
    return out;
}

struct Row {
    const char* input;
    const char* expected;
};

void checkRows(const Row* rows, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        SpeechTagParser parser;
        EXPECT_EQ(describe(parser.parse(QString::fromUtf8(rows[i].input))), rows[i].expected)
            << "row " << i << ", input: " << rows[i].input;
    }
}

const Row kEachTag[] = {
    {"The time is 10 o'clock", "[The time is 10 o'clock]"},
    {"", ""},
    {R"(\Chr="Whisper"\The time is 10)", "[The time is 10]{whisper}"},
    {R"(\chr="whisper"\Hi)", "[Hi]{whisper}"},
    {R"(\CHR="WHISPER"\Hi)", "[Hi]{whisper}"},
    {R"(\Chr=Whisper\Hi)", "[Hi]{whisper}"},
    {R"(\Chr="Monotone"\a \Chr="Normal"\b)", "[a ]{monotone}[b]"},
    {R"(\Ctx="Email"\x\Ctx="Address"\y\Ctx="Unknown"\z)", "[x]{ctx=email}[y]{ctx=address}[z]"},
    {R"(I \emp\really mean it)", "[I ][really]{emp}[ mean it]"},
    {R"(\Emp\  now)", "[  ][now]{emp}"},
    {R"(Wait\Pau=500\now)", "[Wait](pau 500)[now]"},
    {R"(\Pau=0\x)", "(pau 0)[x]"},
    {R"(\Pau=999999\x)", "(pau 60000)[x]"},
    {R"(a\Mrk=42\b)", "[a](mrk 42)[b]"},
    {R"(\Pit=150\\Spd=200\\Vol=32768\Hi)", "[Hi]{pit=150,spd=200,vol=32768}"},
    {R"(\Vol=0\x\Vol=65535\y)", "[x]{vol=0}[y]"},
    {R"(\Spd=300\\Chr="Whisper"\a\Rst\b)", "[a]{whisper,spd=300}[b]"},
    {R"(It is \Map="ten"="10:00"\ now)", "[It is ][ten=>10:00][ now]"},
    {R"(\Map="back slash"="a\b"\!)", "[back slash=>a\\b][!]"},
    {R"(\Map=""="shown only"\)", "[=>shown only]"},
    {R"(C:\\dir)", "[C:\\dir]"},
    {R"(\\\\)", "[\\\\]"},
    {R"(\Pau = 100 \x)", "(pau 100)[x]"},
    {R"(\Spd="200"\x)", "[x]{spd=200}"}};

const Row kNesting[] = {{R"(\Chr="Whisper"\a \Emp\b \Pit=200\c)",
                         "[a ]{whisper}[b]{whisper,emp}[ ]{whisper}[c]{whisper,pit=200}"},
                        {R"(\Emp\\Map="x"="y"\ z)", "[x=>y]{emp}[ z]"},
                        {R"(\Emp\wo\Pit=90\rd end)", "[wo]{emp}[rd]{pit=90,emp}[ end]{pit=90}"},
                        {R"(\Chr="Whisper"\\Map="a"="b"\)", "[a=>b]{whisper}"},
                        {R"(\Emp\\Pau=10\word)", "(pau 10)[word]{emp}"}};

// Whatever is wrong with a tag, it vanishes alone: nothing of it is spoken or shown, the text around it
// stays.
const Row kBrokenTags[] = {{R"(Hello \Foo=1\world)", "[Hello world]"},
                           {R"(Hello \Foo\world)", "[Hello world]"},
                           {R"(\\Hello)", "[\\Hello]"},
                           {R"(\\)", "[\\]"},
                           {R"(\)", ""},
                           {R"(abc\)", "[abc]"},
                           {R"(Hello \Pau=500 world)", "[Hello  world]"},
                           {R"(\Chr="Whisper"The time)", "[ time]"},
                           {R"(\Map="abc\ rest)", "[ rest]"},
                           {R"(a\Pau=10\\Bogus="x\b)", "[a](pau 10)[b]"},
                           {R"(\\\\\Vol=1\x)", "[\\\\][x]{vol=1}"}};

// Broken tags before the letter a: each statement reads as just "[a]".
const char* const kBrokenBeforeA[] = {R"(\Vol=70000\a)", R"(\Vol=-1\a)",         R"(\Spd=fast\a)",
                                      R"(\Spd=0\a)",     R"(\Pit=\a)",           R"(\Chr="Loud"\a)",
                                      R"(\Chr\a)",       R"(\Ctx="Postal"\a)",   R"(\Pau=-5\a)",
                                      R"(\Pau=1=2\a)",   R"(\Mrk=\a)",           R"(\Mrk=99999999999\a)",
                                      R"(\Emp=1\a)",     R"(\Rst=x\a)",          R"(\Map="only one"\a)",
                                      R"(\Map=a=b\a)",   R"(\Map="a"="b"="c"\a)"};

TEST(SpeechTagParser, ReadsEachTag) {
    checkRows(kEachTag, std::size(kEachTag));
}
TEST(SpeechTagParser, CombinesNestedTags) {
    checkRows(kNesting, std::size(kNesting));
}
TEST(SpeechTagParser, DropsBrokenTagsAlone) {
    checkRows(kBrokenTags, std::size(kBrokenTags));
    for (const char* input : kBrokenBeforeA) {
        EXPECT_EQ(describe(SpeechTagParser().parse(QString::fromUtf8(input))), "[a]") << input;
    }
}

TEST(SpeechTagParser, LstRepeatsThePreviousStatementWithItsSettings) {
    SpeechTagParser parser;
    EXPECT_TRUE(parser.parse(R"(\Lst\)").isEmpty()) << "nothing was said before";

    const SpeechText first = parser.parse(R"(\Chr="Whisper"\Hello \Emp\there)");
    const SpeechText repeated = parser.parse(R"(\lst\)");
    EXPECT_EQ(repeated, first);
    EXPECT_EQ(parser.parse(R"(\LST\)"), first) << "a repeat is itself the last statement";

    EXPECT_EQ(describe(parser.parse(R"(Again: \Lst\!)")),
              "[Again: ][Hello ]{whisper}[there]{whisper,emp}[!]");
    EXPECT_EQ(describe(parser.parse(R"(\Lst=1\x)")), "[x]") << "malformed repeat";
}

TEST(SpeechTagParser, SettingsDoNotLeakIntoTheNextStatement) {
    SpeechTagParser parser;
    parser.parse(R"(\Chr="Whisper"\\Spd=300\\Emp\)");
    EXPECT_EQ(describe(parser.parse("plain")), "[plain]");
}

}  // namespace
}  // namespace agent::speech
