#include "cat/rigctld_session.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

// One client's conversation. Radio steps are "FA;>FA014250000;" for a query
// and its answer ("FA;>" when none comes in time), "FA007074000;" for a set
// command the radio took, "TX1;!" for a set it refuses with "?;" and "TX1;."
// for one it gave no verdict on in time.
// The expected text marks with "~" each point where the radio answered, so a
// request that needs no radio is seen waiting behind one that does.
struct Exchange {
    std::string input;
    std::vector<std::string> radio;
    std::string output;
    bool closes = false;
};

std::string converse(const Exchange& exchange, const RigDescription& rig, bool byteByByte,
                     RigctldClient& client) {
    if (byteByByte) {
        for (char c : exchange.input) takeClientBytes(client, std::string_view(&c, 1), rig);
    } else {
        takeClientBytes(client, exchange.input, rig);
    }
    std::string text = takeOutput(client);
    for (const std::string& step : exchange.radio) {
        const std::size_t mark = step.find_first_of(">!.");
        const auto command = nextCatCommand(client);
        if (!command) return text + "[no command for " + step + "]";
        EXPECT_EQ(*command,
                  (CatCommand{step.substr(0, mark), mark != std::string::npos && step[mark] == '>'}));
        EXPECT_FALSE(nextCatCommand(client)) << "a second command while " << step << " is outstanding";
        std::optional<std::string> answer;
        if (mark == std::string::npos) answer = "ID0670;";  // the radio's word that it took the set
        if (mark != std::string::npos && mark + 1 < step.size()) answer = step.substr(mark + 1);
        if (mark != std::string::npos && step[mark] == '!') answer = "?;";
        takeCatAnswer(client, answer, rig);
        text += "~" + takeOutput(client);
    }
    if (auto extra = nextCatCommand(client)) text += "[unexpected " + extra->text + "]";
    return text;
}

// The forms (lines, separators, RPRT codes, the echo of the extended form)
// are those Hamlib's rigctld gives with its dummy radio, and the error codes
// those it gives for a real radio that refuses (-9) or stays silent (-5); the
// content is what the radio answered. Where rigctld would wait for a missing
// argument or say nothing to an unknown name, the client gets RPRT -1 or -11.
TEST(RigctldSessionTest, EachRequestIsAnsweredInRigctldsForm) {
    const RigDescription hf2m = describeRadio(670, 9);
    // clang-format off
    const Exchange exchanges[] = {
        {"f\n", {"FA;>FA014250000;"}, "~14250000\n"},
        {"\\get_freq\n", {"FA;>FA000475000;"}, "~475000\n"},
        {"+f\n", {"FA;>FA014250000;"}, "~get_freq:\nFrequency: 14250000\nRPRT 0\n"},
        {";\\get_freq\n", {"FA;>FA014250000;"}, "~get_freq:;Frequency: 14250000;RPRT 0\n"},
        {"F 7074000\n", {"FA007074000;"}, "~RPRT 0\n"},
        {"+\\set_freq 145500000.9\n", {"FA145500000;"}, "~set_freq: 145500000.9\nRPRT 0\n"},
        {"m\n", {"MD0;>MD02;", "SH0;>SH014;"}, "~~USB\n2400\n"},
        {"+\\get_mode\n", {"MD0;>MD0A;", "SH0;>SH013;"}, "~~get_mode:\nMode: FM-D\nPassband: 16000\nRPRT 0\n"},
        {"|m\n", {"MD0;>MD03;", "SH0;>SH016;"}, "~~get_mode:|Mode: CW|Passband: 2400|RPRT 0\n"},
        {"m\n", {"MD0;>MD0E;", "SH0;>SH000;"}, "~~C4FM\n16000\n"},
        // The width the radio reports: index 0 is the mode's normal one.
        {"m\nm\nm\n", {"MD0;>MD02;", "SH0;>SH009;", "MD0;>MD0C;", "SH0;>SH000;", "MD0;>MD01;", "SH0;>SH025;"},
         "~~USB\n1800\n~~PKTUSB\n500\n~~RPRT -8\n"},
        // A passband: 0 the mode's normal width, -1 the width left alone, else
        // the nearest width at or above it, or the widest.
        {"M PKTUSB 0\n", {"MD0C;", "NA01;", "SH010;"}, "~~~RPRT 0\n"},
        {"+\\set_mode PKTFM -1\n", {"MD0A;"}, "~set_mode: PKTFM -1\nRPRT 0\n"},
        {"M USB 0\nM LSB -1\n+M CW 0\n", {"MD02;", "NA00;", "SH014;", "MD01;", "MD03;", "NA00;", "SH016;"},
         "~~~RPRT 0\n~RPRT 0\n~~~set_mode: CW 0\nRPRT 0\n"},
        {"M USB 1790\nM CW 501\nM PKTUSB 3001\nM LSB 200.9\n",
         {"MD02;", "NA01;", "SH009;", "MD03;", "NA00;", "SH011;", "MD0C;", "NA00;", "SH017;", "MD01;", "NA01;", "SH001;"},
         "~~~RPRT 0\n~~~RPRT 0\n~~~RPRT 0\n~~~RPRT 0\n"},
        // A mode of one width: only that width moves the narrow switch; C4FM refuses others.
        {"M FM 9000\nM C4FM 5000\nM AMN 6000\nM C4FM 9000\n", {"MD04;", "MD0E;", "MD0D;", "NA01;", "MD0E;", "NA00;"},
         "~RPRT 0\n~RPRT -1\n~~RPRT 0\n~~RPRT 0\n"},
        {"M USB 2400\n", {"MD02;", "NA00;", "SH014;!"}, "~~~RPRT -9\n"},
        // The split mode: VFO B's mode goes through VFO A, which is put back,
        // and is read from the opposite VFO's information.
        {"X PKTUSB 3000\nx\n+x\n",
         {"MD0;>MD02;", "FB;>FB014076000;", "MD0C;", "AB;", "MD02;", "FB014076000;",
          "OI;>OI001014076000+000000C00000;", "OI;>OI001014076000+000000200000;"},
         "~~~~~~RPRT 0\n~PKTUSB\n0\n~get_split_mode:\nTX Mode: USB\nTX Passband: 0\nRPRT 0\n"},
        {"+\\set_split_mode FM-D -1\n", {"MD0;>MD03;", "FB;>FB007100000;", "MD0A;", "AB;", "MD03;", "FB007100000;"},
         "~~~~~~set_split_mode: FM-D -1\nRPRT 0\n"},
        {"X USB 0\nX CW 0\nX LSB 0\nX AM 0\nx\nx\n",
         {"MD0;>", "MD0;>MD02;", "FB;>FB01407;", "MD0;>MD02;", "FB;>FB014076000;", "MD01;", "AB;!",
          "MD0;>MD02;", "FB;>FB014076000;", "MD05;!", "OI;>?;", "OI;>OI001014076000+000000;"},
         "~RPRT -5\n~~RPRT -8\n~~~~RPRT -9\n~~~RPRT -9\n~RPRT -9\n~RPRT -8\n"},
        {"v\n+\\get_vfo\n", {}, "VFOA\nget_vfo:\nVFO: VFOA\nRPRT 0\n"},
        {"V VFOA\n+\\set_vfo currVFO\nV MEM\nV FOO\n", {}, "RPRT 0\nset_vfo: currVFO\nRPRT 0\nRPRT -11\nRPRT -1\n"},
        {"V VFOB\nv\nf\nF 7000000\nV Main\nf\n", {"FB;>FB007100000;", "FB007000000;", "FA;>FA014250000;"},
         "RPRT 0\nVFOB\n~7100000\n~RPRT 0\nRPRT 0\n~14250000\n"},
        {"i\n+I 7000000\n", {"FB;>FB007100000;", "FB007000000;"}, "~7100000\n~set_split_freq: 7000000\nRPRT 0\n"},
        {"+\\get_split_freq\n", {"FB;>FB007100000;"}, "~get_split_freq:\nTX Frequency: 7100000\nRPRT 0\n"},
        {"\\get_lock_mode\n+\\get_lock_mode\n;\\get_lock_mode\n", {},
         "0\nRPRT 0\nget_lock_mode:\nLocked: 0\nRPRT 0\nget_lock_mode:;Locked: 0\nRPRT 0\n"},
        {"s\n", {"FT;>FT1;"}, "~1\nVFOB\n"},
        {"+\\get_split_vfo\n", {"FT;>FT0;"}, "~get_split_vfo:\nSplit: 0\nTX VFO: VFOA\nRPRT 0\n"},
        {"S 1 VFOB\n", {"FT3;"}, "~RPRT 0\n"},
        {"+\\set_split_vfo 0 VFOA\n", {"FT2;"}, "~set_split_vfo: 0 VFOA\nRPRT 0\n"},
        {"t\n", {"TX;>TX0;"}, "~0\n"},
        {";\\get_ptt\n", {"TX;>TX2;"}, "~get_ptt:;PTT: 1;RPRT 0\n"},
        {"T 1\n", {"TX1;"}, "~RPRT 0\n"},
        {"+\\set_ptt 0\n", {"TX0;"}, "~set_ptt: 0\nRPRT 0\n"},
        {"l STRENGTH\n", {"SM0;>SM0130;"}, "~0\n"},
        {"+\\get_level STRENGTH\n", {"SM0;>SM0020;"}, "~get_level: STRENGTH\n-45\nRPRT 0\n"},
        {"l STRENGTH\nl STRENGTH\nl STRENGTH\n", {"SM0;>SM0000;", "SM0;>SM0140;", "SM0;>SM0255;"}, "~-54\n~5\n~60\n"},
        {"l RFPOWER\n", {"PC;>PC050;"}, "~0.500000\n"},
        {";l RFPOWER\n", {"PC;>PC100;"}, "~get_level: RFPOWER;1.000000;RPRT 0\n"},
        {"l NOTCHF\n+l FOO\n", {}, "RPRT -11\nget_level: FOO\nRPRT -1\n"},
        // Levels: shares of the radio's scale as Hamlib rounds and prints them,
        // speeds in words per minute, amplifier and attenuator steps in dB.
        {"L AF 0.5\nl AF\n+l AF\n;\\get_level AF\n", {"AG0128;", "AG0;>AG0128;", "AG0;>AG0255;", "AG0;>AG0000;"},
         "~RPRT 0\n~0.501961\n~get_level: AF\n1.000000\nRPRT 0\n~get_level: AF;0.000000;RPRT 0\n"},
        {"L RF 0.3\nL SQL 0.2\n+\\set_level RFPOWER 0.01\nL RFPOWER 1\nL MICGAIN 0.75\n",
         {"RG0077;", "SQ0020;", "PC005;", "PC100;", "MG075;"},
         "~RPRT 0\n~RPRT 0\n~set_level: RFPOWER 0.01\nRPRT 0\n~RPRT 0\n~RPRT 0\n"},
        {"l RF\nl SQL\nl MICGAIN\n", {"RG0;>RG0077;", "SQ0;>SQ0020;", "MG;>MG075;"}, "~0.301961\n~0.200000\n~0.750000\n"},
        {"L KEYSPD 25\nl KEYSPD\n+l KEYSPD\nL KEYSPD 25.9\n", {"KS025;", "KS;>KS025;", "KS;>KS060;", "KS025;"},
         "~RPRT 0\n~25\n~get_level: KEYSPD\n60\nRPRT 0\n~RPRT 0\n"},
        {"L PREAMP 10\nL PREAMP 20\nL PREAMP 0\nl PREAMP\nL ATT 12\nl ATT\n",
         {"PA01;", "PA02;", "PA00;", "PA0;>PA02;", "RA01;", "RA0;>RA01;"}, "~RPRT 0\n~RPRT 0\n~RPRT 0\n~20\n~RPRT 0\n~12\n"},
        // Switches: the tone mode carries both plain tone and tone squelch.
        {"U NB 1\nU NR 0\nU COMP 1\nU VOX 5\nu NB\nu COMP\n",
         {"NB01;", "NR00;", "PR01;", "VX1;", "NB0;>NB01;", "PR0;>PR00;"}, "~RPRT 0\n~RPRT 0\n~RPRT 0\n~RPRT 0\n~1\n~0\n"},
        {"U TONE 1\nU TSQL 0\nu TONE\nu TSQL\n+\\set_func TSQL 1\n", {"CT02;", "CT00;", "CT0;>CT02;", "CT0;>CT02;", "CT01;"},
         "~RPRT 0\n~RPRT 0\n~1\n~0\n~set_func: TSQL 1\nRPRT 0\n"},
        {"U RIT 1\nu RIT\n+u XIT\n;\\get_func RIT\n", {"RT1;", "RT;>RT1;", "XT;>XT0;", "RT;>RT0;"},
         "~RPRT 0\n~1\n~get_func: XIT\n0\nRPRT 0\n~get_func: RIT;0\nRPRT 0\n"},
        // The clarifier: cleared, then stepped to the offset, within +-9999 Hz.
        {"j\n+j\n;\\get_rit\n", {"IF;>IF001014250000-025010200000;", "IF;>IF001014250000+000000200000;", "IF;>IF001014250000+999910200000;"},
         "~-250\n~get_rit:\nRIT: 0\nRPRT 0\n~get_rit:;RIT: 9999;RPRT 0\n"},
        {"J 150\n+\\set_rit -250\nJ 0\nJ 20000\n", {"RC;", "RU0150;", "RC;", "RD0250;", "RC;", "RC;", "RU9999;"},
         "~~RPRT 0\n~~set_rit: -250\nRPRT 0\n~RPRT 0\n~~RPRT 0\n"},
        {"z\n+\\set_xit 100\nZ 1.5\n+z\n", {"IF;>IF001014250000+010000200000;", "RC;", "RU0100;", "RC;", "RU0001;", "IF;>IF001014250000-000100200000;"},
         "~100\n~~set_xit: 100\nRPRT 0\n~~RPRT 0\n~get_xit:\nXIT: -1\nRPRT 0\n"},
        {"\\get_powerstat\n", {"PS;>PS1;"}, "~1\n"},
        {";\\get_powerstat\n", {"PS;>PS0;"}, "~get_powerstat:;Power Status: 0\nRPRT 0\n"},
        {"\\chk_vfo\n+\\chk_vfo\n;\\chk_vfo\n", {}, "0\nChkVFO: 0\nChkVFO: 0\n\n"},
        {"q\nf\n", {}, "RPRT 0\n", true},
        {"+Q\n", {}, "RPRT 0\n", true},
        {"\\quit\n", {}, "RPRT 0\n", true},
        // Several requests in one write are answered in order, those needing no
        // radio in their turn; several commands may share a line.
        {"f\n\\chk_vfo\nv\nm\n", {"FA;>FA014250000;", "MD0;>MD01;", "SH0;>SH014;"}, "~14250000\n0\nVFOA\n~~LSB\n2400\n"},
        {"\\chk_vfo\nf m\nfv\n", {"FA;>FA014250000;", "MD0;>MD02;", "SH0;>SH014;", "FA;>FA014250000;"},
         "0\n~14250000\n~~USB\n2400\n~14250000\nVFOA\n"},
        {"+\nf\n", {"FA;>FA014250000;"}, "~get_freq:\nFrequency: 14250000\nRPRT 0\n"},
        // A radio that refuses, garbles or says nothing in time.
        {"f\n+f\n", {"FA;>?;", "FA;>"}, "~RPRT -9\n~get_freq:\nRPRT -5\n"},
        {"m\nf\nl STRENGTH\n", {"MD0;>MD0Z;", "SH0;>SH014;", "FA;>FA01425x000;", "SM0;>SM0;"}, "~~RPRT -8\n~RPRT -8\n~RPRT -8\n"},
        {"T 1\n", {"TX1;!"}, "~RPRT -9\n"},
        {"T 1\nF 7074000\n+M USB 0\n", {"TX1;.", "FA007074000;.", "MD02;."}, "~RPRT -5\n~RPRT -5\n~set_mode: USB 0\nRPRT -5\n"},
        {"U VOX 1\nJ 10\n", {"VX1;!", "RC;!"}, "~RPRT -9\n~RPRT -9\n"},
        {"u NB\nl AF\nj\nl PREAMP\n", {"NB0;>NB0x;", "AG0;>AG012;", "IF;>IF001014250000;", "PA0;>PA0;"},
         "~RPRT -8\n~RPRT -8\n~RPRT -8\n~RPRT -8\n"},
        // Bad requests.
        {"F abc\n+F abc\nF 1e12\nF nan\nF -5\n", {}, "RPRT -1\nset_freq: abc\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\n"},
        {"M usb 0\nM USB abc\nS 2 VFOB\nS 1 FOO\nS 1 MEM\nT 4\nT x\nX FOO 0\nX USB x\nX USB\n", {},
         "RPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -11\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\n"},
        {"F\n+l\n", {}, "RPRT -1\nget_level:\nRPRT -1\n"},
        {"L PREAMP 15\nL ATT 6\nL KEYSPD 70\nL KEYSPD 2\nL AF 1.5\nL AF -0.2\nL AF abc\nL RF nan\nL FOO 1\nl FOO\n", {},
         "RPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -11\nRPRT -1\n"},
        {"J abc\nU RIT abc\nU FOO 1\nu FOO\nL AF\nU NB\n+\\set_func NB x\n", {},
         "RPRT -1\nRPRT -1\nRPRT -11\nRPRT -1\nRPRT -1\nRPRT -1\nset_func: NB x\nRPRT -1\n"},
        {std::string("\0\x01\xff", 3) + "\nKyz foo\n\\get_dcd\n\\set_parm BACKLIGHT 1\n9\n", {},
         "RPRT -1\nRPRT -11\nRPRT -11\nRPRT -11\nRPRT -11\n"},
        {std::string(5000, 'f') + "\nf\n", {"FA;>FA014250000;"}, "RPRT -1\n~14250000\n"},
    };
    // clang-format on
    for (bool byteByByte : {false, true}) {
        for (const Exchange& exchange : exchanges) {
            RigctldClient client;
            EXPECT_EQ(converse(exchange, hf2m, byteByByte, client), exchange.output)
                << exchange.input.substr(0, 40) << (byteByByte ? " (byte by byte)" : "");
            EXPECT_EQ(wantsClose(client), exchange.closes) << exchange.input.substr(0, 40);
        }
    }
}

// The content follows the radio: field width, power, modes and ranges.
TEST(RigctldSessionTest, AnswersFollowTheConnectedModel) {
    struct ModelCase {
        int model, digits;
        Exchange exchange;
    };
    // clang-format off
    const ModelCase cases[] = {
        {241, 8, {"F 14250000\nf\n", {"FA14250000;", "FA;>FA07074000;"}, "~RPRT 0\n~7074000\n"}},
        {682, 9, {"l RFPOWER\nl RFPOWER\n", {"PC;>PC100;", "PC;>PC200;"}, "~0.500000\n~1.000000\n"}},
        {681, 9, {"l STRENGTH\nl STRENGTH\n", {"SM0;>SM0020;", "SM0;>SM0160;"}, "~-52\n~0\n"}},
        {241, 8, {"l STRENGTH\nl STRENGTH\n", {"SM0;>SM0005;", "SM0;>SM0130;"}, "~-60\n~3\n"}},
        {650, 9, {"M C4FM 0\nF 145000000\nm\n", {"MD0;>MD03;"}, "RPRT -1\nRPRT -1\n~CW\n1700\n"}},
        {0, 9, {"+l RFPOWER\n", {"PC;>PC020;"}, "~get_level: RFPOWER\n0.200000\nRPRT 0\n"}},
        // The FTDX101 and FTDX10 widths: a digit more, no narrow switch outside AM and FM; no split mode.
        {681, 9, {"M USB 1800\nM AM 0\nm\nX USB 0\nx\n", {"MD02;", "SH0009;", "MD05;", "NA00;", "MD0;>MD02;", "SH0;>SH0014;"},
                  "~~RPRT 0\n~~RPRT 0\n~~USB\n2400\nRPRT -11\nRPRT -11\n"}},
        {761, 9, {"M CW 0\nM FM 9000\n", {"MD03;", "SH0011;", "MD04;", "NA01;"}, "~~RPRT 0\n~~RPRT 0\n"}},
        {0, 8, {"F 145000000\nF 50100000\n", {"FA50100000;"}, "RPRT -1\n~RPRT 0\n"}},
        // What Hamlib says each radio lacks, its scales and its dB steps.
        {241, 8, {"z\nZ 100\nU XIT 1\nu XIT\nU COMP 1\nu COMP\nJ 100\nj\n", {"RC;", "RU0100;", "IF;>IF00114250000+010010200000;"},
                  "RPRT -11\nRPRT -11\nRPRT -11\nRPRT -11\nRPRT -11\nRPRT -1\n~~RPRT 0\n~100\n"}},
        {241, 8, {"L ATT 20\nL ATT 12\nL PREAMP 20\nL SQL 0.5\nl MICGAIN\n", {"RA01;", "SQ0128;", "MG;>MG050;"},
                  "~RPRT 0\nRPRT -1\nRPRT -1\n~RPRT 0\n~0.196078\n"}},
        {650, 9, {"J 100\nZ 100\nU RIT 1\nu RIT\nu XIT\nj\nL RF 0.5\nl RF\n",
                  {"IF;>IF001014250000+010000200000;", "RG0015;", "RG0;>RG0015;"},
                  "RPRT -11\nRPRT -11\nRPRT -11\nRPRT -1\nRPRT -1\n~100\n~RPRT 0\n~0.500000\n"}},
        {362, 8, {"U COMP 1\nu COMP\nL PREAMP 20\nL ATT 18\n", {"PR1;", "PR;>PR1;", "PA02;", "RA03;"},
                  "~RPRT 0\n~1\n~RPRT 0\n~RPRT 0\n"}},
        {251, 8, {"L PREAMP 17\nl PREAMP\nL SQL 1\n", {"PA02;", "PA0;>PA02;", "SQ0255;"}, "~RPRT 0\n~17\n~RPRT 0\n"}},
        {650, 9, {"L ATT 12\nL ATT 18\n", {"RA01;"}, "~RPRT 0\nRPRT -1\n"}},
        // The transmit meters by each radio's calibration; the two-receiver radios add three digits.
        {670, 9, {"l SWR\nl SWR\nl SWR\n", {"RM6;>RM6000;", "RM6;>RM6066;", "RM6;>RM6255;"}, "~1.000000\n~1.520833\n~5.000000\n"}},
        {681, 9, {"l SWR\nl RFPOWER_METER_WATTS\n", {"RM6;>RM6089000;", "RM5;>RM5205000;"}, "~2.000000\n~100.000000\n"}},
        {670, 9, {"l ALC\nl ALC\nl ALC\n", {"RM4;>RM4000;", "RM4;>RM4032;", "RM4;>RM4200;"}, "~0.000000\n~0.500000\n~1.000000\n"}},
        {670, 9, {"l RFPOWER_METER\nl RFPOWER_METER_WATTS\nl RFPOWER_METER\n", {"RM5;>RM5200;", "RM5;>RM5050;", "RM5;>RM5255;"},
                  "~0.920000\n~8.000000\n~1.000000\n"}},
        {241, 8, {"l RFPOWER_METER_WATTS\nl SWR\n", {"RM5;>RM5000;", "RM6;>RM6x1;"}, "~0.800000\n~RPRT -8\n"}},
        // Power shares and milliwatts against the radio's full power, and what rigctld refuses.
        {670, 9, {"\\power2mW 0.5 14074000 USB\n\\mW2power 50000 1 FM\n;\\power2mW 1 145000000 FM\n\\power2mW 0 1 USB\n", {},
                  "50000\n0.500000\npower2mW: 1 145000000 FM;Power mW: 100000;RPRT 0\n0\n"}},
        {362, 8, {"\\power2mW 1 14074000 USB\n+\\mW2power 50000 1 USB\n", {},
                  "200000\nmW2power: 50000 1 USB\nPower [0.0..1.0]: 0.250000\nRPRT 0\n"}},
        {670, 9, {"\\power2mW 1.5 1 USB\n\\power2mW x 1 USB\n\\power2mW 0.5 x USB\n\\mW2power 0 1 USB\n"
                  "\\mW2power -5 1 USB\n\\power2mW 0.5 1\n", {}, "RPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\n"}},
    };
    // clang-format on
    for (const auto& [model, digits, exchange] : cases) {
        RigctldClient client;
        EXPECT_EQ(converse(exchange, describeRadio(model, digits), false, client), exchange.output) << model;
    }
}

// dump_state is what a Hamlib client reads first: its layout, the radio's
// ranges with Hamlib's mode bits, and the terminator it waits for.
TEST(RigctldSessionTest, DumpStateDescribesTheRadio) {
    const auto dump = [](int model, const char* request) {
        RigctldClient client;
        takeClientBytes(client, request, describeRadio(model, 9));
        EXPECT_FALSE(nextCatCommand(client));
        return takeOutput(client);
    };
    const std::string plain = dump(670, "\\dump_state\n");
    EXPECT_TRUE(plain.starts_with("1\n1035\n0\n"));
    EXPECT_NE(plain.find("\n30000.000000 56000000.000000 0x220201dbf -1 -1 0x10000003 0x80000000\n"
                         "118000000.000000 164000000.000000 0x220201dbf -1 -1 0x10000003 0x80000000\n"),
              std::string::npos);
    EXPECT_NE(plain.find("\n1800000.000000 54000000.000000 0x201c2e 5000 100000 "), std::string::npos);
    EXPECT_NE(plain.find("\n144000000.000000 148000000.000000 0x201c2e 5000 50000 0x10000003 0x80000000\n"
                         "144000000.000000 148000000.000000 0x20000001 2000 25000 "),
              std::string::npos);
    EXPECT_NE(plain.find("\n0xd9e 10\n0xd9e 100\n0x20000001 100\n0x20000001 1000\n0x200201020 100\n"
                         "0x200201020 1000\n0 0\n"),
              std::string::npos);
    EXPECT_NE(plain.find("\n0x20000000 6000\n"), std::string::npos);  // AM narrow and its normal passband
    // The filters as rigctld lists them: each mode group's normal width, narrow, wide, then the rest.
    EXPECT_NE(plain.find("\n0 0\n0xd10 500\n0xd10 300\n0xd10 3000\n"), std::string::npos);
    EXPECT_NE(plain.find("\n0x82 50\n0xc 2400\n0xc 1500\n0xc 3200\n"), std::string::npos);
    // The clarifier's reach, the dB steps, the switches, the levels read and set: what rigctld gives.
    EXPECT_NE(plain.find("\n0 0\n9999\n9999\n0\n0\n10 20 \n12 \n0x8100023e\n0x8100023e\n0x817000703b\n0x703b\n"
                         "0x0\n0x0\nvfo_ops="),
              std::string::npos);
    EXPECT_EQ(plain.substr(plain.size() - 6), "\ndone\n");

    const std::string hf = dump(362, "+\\dump_state\n");
    EXPECT_TRUE(hf.starts_with("dump_state:\n1\n1032\n"));
    EXPECT_NE(hf.find("\n30000.000000 60000000.000000 0x20201dbf -1 -1 "), std::string::npos);
    EXPECT_NE(hf.find(" 5000 200000 "), std::string::npos);
    EXPECT_EQ(hf.find("144000000"), std::string::npos);
    EXPECT_EQ(hf.substr(hf.size() - 12), "done\nRPRT 0\n");
    EXPECT_NE(plain.find("\nctcss_list= 67.0 69.3 "), std::string::npos);
    EXPECT_NE(plain.find(" 743 754\ndone\n"), std::string::npos);  // the FT-991's DCS codes
    EXPECT_EQ(hf.find("dcs_list="), std::string::npos);
}

// dump_caps says Y only for what the port serves on each radio.
TEST(RigctldSessionTest, DumpCapsFollowsWhatIsServed) {
    struct CapsCase {
        int model;
        std::vector<std::string> lines;
    };
    const CapsCase cases[] = {
        {670, {"Can set XIT:\tY", "Can get RIT:\tY", "Can set Func:\tY", "Can set CTCSS:\tN", "Can set Mem:\tN",
               "Get functions: NB COMP VOX TONE TSQL NR RIT XIT ", "Max RIT: -9.999kHz/+9.999kHz",
               "\t100.0 Hz:   \tAM AMN ", "\t1.0000 kHz:   \tAM AMN "}},
        {241, {"Can set XIT:\tN", "Can get XIT:\tN", "Can set RIT:\tY", "Max XIT: -0.0kHz/+0.0kHz", "DCS: None"}},
        {650, {"Can set RIT:\tN", "Can get RIT:\tN", "Get functions: NB COMP VOX TONE TSQL NR "}},
    };
    for (const auto& [model, lines] : cases) {
        RigctldClient client;
        takeClientBytes(client, "\\dump_caps\n", describeRadio(model, 9));
        const std::string caps = takeOutput(client);
        EXPECT_TRUE(caps.ends_with("Overall backend warnings: 0   \nRPRT 0\n")) << model;
        for (const std::string& line : lines) EXPECT_NE(caps.find("\n" + line + "\n"), std::string::npos) << model << line;
    }
}

// A client that sends without reading is first held back, then cut off;
// what it is owed stays bounded either way.
TEST(RigctldSessionTest, AFloodingClientIsHeldBackThenClosed) {
    const RigDescription rig = describeRadio(670, 9);
    RigctldClient client;
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += "f\n";
    takeClientBytes(client, lines, rig);
    EXPECT_FALSE(acceptsInput(client));
    EXPECT_FALSE(wantsClose(client));
    takeClientBytes(client, lines + lines, rig);
    EXPECT_TRUE(wantsClose(client));
    EXPECT_FALSE(nextCatCommand(client));
    takeClientBytes(client, std::string(100000, 'x'), rig);
    EXPECT_LT(client.partialLine.size() + client.requests.size(), 2000u);
}

}  // namespace
}  // namespace vantor
