// The client's command line: what each valid line asks for, and that every
// faulty one is refused before anything connects.
#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

std::vector<std::wstring> Words(std::initializer_list<const wchar_t*> words) { return {words.begin(), words.end()}; }

struct TGoodLine {
    const char* Name;
    std::vector<std::wstring> Args;
    TCommand Command;
    TCommand HelpTopic;
    std::vector<std::wstring> Operands;
};

class GoodLines : public testing::TestWithParam<TGoodLine> {};

TEST_P(GoodLines, ParseIntoTheirCommandAndOperands)
{
    const TGoodLine& c = GetParam();
    const TCommandLine line = ParseCommandLine(c.Args);
    EXPECT_EQ(line.Command, c.Command);
    EXPECT_EQ(line.HelpTopic, c.HelpTopic);
    EXPECT_EQ(line.Operands, c.Operands);
}

INSTANTIATE_TEST_SUITE_P(
    Client, GoodLines,
    testing::Values(
        TGoodLine{"nothing", {}, TCommand::Help, TCommand::Help, {}},
        TGoodLine{"help alone", Words({L"--help"}), TCommand::Help, TCommand::Help, {}},
        TGoodLine{"help before a command", Words({L"-h", L"watch"}), TCommand::Help, TCommand::Watch, {}},
        TGoodLine{"help command", Words({L"help", L"diagnose"}), TCommand::Help, TCommand::Diagnose, {}},
        TGoodLine{"help after a command", Words({L"read", L"A", L"--help"}), TCommand::Help, TCommand::Read, {}},
        TGoodLine{"windows help switch", Words({L"write", L"/?"}), TCommand::Help, TCommand::Write, {}},
        TGoodLine{"status", Words({L"STATUS"}), TCommand::Status, TCommand::Help, {}},
        TGoodLine{"browse with a mask", Words({L"browse", L"Float.*"}), TCommand::Browse, TCommand::Help,
                  Words({L"Float.*"})},
        TGoodLine{"read keeps blanks in IDs", Words({L"read", L"Float.Rate Measured (A/s)", L"--device", L"Flag.X"}),
                  TCommand::Read, TCommand::Help, Words({L"Float.Rate Measured (A/s)", L"Flag.X"})},
        TGoodLine{"an item that looks like an option after --", Words({L"read", L"--", L"--odd"}), TCommand::Read,
                  TCommand::Help, Words({L"--odd"})},
        TGoodLine{"write", Words({L"write", L"Flag.Remote STOP=1", L"String.X=a=b"}), TCommand::Write, TCommand::Help,
                  Words({L"Flag.Remote STOP=1", L"String.X=a=b"})}),
    [](const testing::TestParamInfo<TGoodLine>& info) {
        std::string name = info.param.Name;
        for (char& ch : name)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(ClientCommandLine, OptionsTakeTheirValuesInBothForms)
{
    const TCommandLine watch = ParseCommandLine(Words(
        {L"watch", L"A", L"--rate", L"250", L"--seconds=5", L"--da1", L"--json", L"--progid", L"Other.Server.1"}));
    EXPECT_EQ(watch.RateMs, 250u);
    EXPECT_EQ(watch.Seconds, 5u);
    EXPECT_TRUE(watch.Da1);
    EXPECT_TRUE(watch.Json);
    EXPECT_EQ(watch.ProgId, L"Other.Server.1");

    const TCommandLine read = ParseCommandLine(Words({L"read", L"A"}));
    EXPECT_EQ(read.ProgId, kDefaultProgId);
    EXPECT_FALSE(read.Device);
    EXPECT_EQ(ParseCommandLine(Words({L"watch", L"A"})).Seconds, 0u) << "watch runs until stopped";
    EXPECT_EQ(ParseCommandLine(Words({L"diagnose"})).Seconds, 15u) << "diagnose has a time limit";
}

struct TBadLine {
    const char* Name;
    std::vector<std::wstring> Args;
    const char* Message;  // part of what the user is told
};

class BadLines : public testing::TestWithParam<TBadLine> {};

TEST_P(BadLines, AreRefusedWithAReason)
{
    const TBadLine& c = GetParam();
    try {
        ParseCommandLine(c.Args);
        FAIL() << "accepted";
    } catch (const EUsage& e) {
        EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Client, BadLines,
    testing::Values(TBadLine{"unknown command", Words({L"reed", L"A"}), "unknown command \"reed\""},
                    TBadLine{"unknown help topic", Words({L"help", L"nope"}), "unknown command \"nope\""},
                    TBadLine{"read without items", Words({L"read"}), "read needs at least one item"},
                    TBadLine{"props without item", Words({L"props"}), "props needs one item ID"},
                    TBadLine{"props with two", Words({L"props", L"A", L"B"}), "at most 1 operand, not \"B\""},
                    TBadLine{"status with operand", Words({L"status", L"A"}), "status takes no operands"},
                    TBadLine{"write without value", Words({L"write", L"Flag.Remote STOP"}), "takes ITEM=VALUE"},
                    TBadLine{"write without item", Words({L"write", L"=1"}), "takes ITEM=VALUE"},
                    TBadLine{"rate of zero", Words({L"watch", L"A", L"--rate", L"0"}), "--rate takes a whole number"},
                    TBadLine{"rate not a number", Words({L"watch", L"A", L"--rate=fast"}), "not \"fast\""},
                    TBadLine{"rate without value", Words({L"watch", L"A", L"--rate"}), "--rate needs a value"},
                    TBadLine{"negative seconds", Words({L"watch", L"A", L"--seconds", L"-1"}), "--seconds takes"},
                    TBadLine{"diagnose without time", Words({L"diagnose", L"--seconds", L"0"}), "from 1 to"},
                    TBadLine{"option of another command", Words({L"read", L"A", L"--da1"}),
                             "--da1 does not apply to read"},
                    TBadLine{"device on watch", Words({L"watch", L"A", L"--device"}), "--device does not apply"},
                    TBadLine{"unknown option", Words({L"status", L"--verbose"}), "unknown option --verbose"},
                    TBadLine{"value for a switch", Words({L"status", L"--json=yes"}), "--json takes no value"},
                    TBadLine{"empty ProgID", Words({L"status", L"--progid="}), "--progid needs a ProgID"}),
    [](const testing::TestParamInfo<TBadLine>& info) {
        std::string name = info.param.Name;
        for (char& ch : name)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(ClientCommandLine, AssignmentsSplitAtTheFirstEqualsSign)
{
    const TItemAssignment a = SplitAssignment(L"String.Remote State=a=b");
    EXPECT_EQ(a.ItemId, L"String.Remote State");
    EXPECT_EQ(a.Value, L"a=b");
    EXPECT_EQ(SplitAssignment(L"String.X=").Value, L"") << "an empty value is a value";
}

}  // namespace
