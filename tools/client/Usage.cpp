#include "Usage.h"

namespace {

constexpr char kOverview[] =
    "OpcClient: a command-line OPC Data Access client.\n"
    "\n"
    "Usage: OpcClient COMMAND [operands] [options]\n"
    "\n"
    "Commands:\n"
    "  status                 the server's status\n"
    "  browse [MASK]          the item IDs of the server (MASK: * and ? wildcards)\n"
    "  props ITEM             the properties of one item\n"
    "  read ITEM...           current values, from the cache or with --device from the device\n"
    "  write ITEM=VALUE...    writes values as text\n"
    "  watch ITEM...          prints every data change until stopped\n"
    "  diagnose               checks registration, proxies and activation\n"
    "  wait                   waits for a server started by hand\n"
    "  help COMMAND           the options of one command (or COMMAND --help)\n"
    "\n"
    "Options of every command:\n"
    "  --progid ID   the server to connect to (default srvZEV30.TZEV30.1)\n"
    "  --json        one JSON object per line instead of a table\n"
    "  --help        this text, or the command's\n"
    "\n"
    "Exit status: 0 success, 1 an item or a check failed, 2 usage or connection error.\n";

constexpr char kStatus[] =
    "Usage: OpcClient status [--progid ID] [--json]\n"
    "\n"
    "Connects to the server and prints its status: state, start, current and\n"
    "last update time, group count, version and vendor text.\n";

constexpr char kBrowse[] =
    "Usage: OpcClient browse [MASK] [--progid ID] [--json]\n"
    "\n"
    "Prints every item ID of the server's address space, or those matching MASK\n"
    "(* any characters, ? one character, # one digit). Quote masks with blanks.\n";

constexpr char kProps[] =
    "Usage: OpcClient props ITEM [--progid ID] [--json]\n"
    "\n"
    "Prints the item's properties: ID, description, data type and value.\n";

constexpr char kRead[] =
    "Usage: OpcClient read ITEM... [--device] [--progid ID] [--json]\n"
    "\n"
    "Reads the items through a group of their own, from the server's cache or,\n"
    "with --device, from the device. Prints value, quality and time stamp.\n"
    "Exit status 1 when any item failed.\n";

constexpr char kWrite[] =
    "Usage: OpcClient write ITEM=VALUE... [--progid ID] [--json]\n"
    "\n"
    "Writes each VALUE as text to its ITEM; the server converts it. The item ID\n"
    "ends at the first \"=\". Exit status 1 when any item failed.\n"
    "Example: OpcClient write \"Flag.Remote STOP=1\"\n";

constexpr char kWatch[] =
    "Usage: OpcClient watch ITEM... [--rate MS] [--seconds N] [--da1] [--progid ID] [--json]\n"
    "\n"
    "Subscribes to the items and prints every data change with its time stamp\n"
    "and quality, until N seconds have passed (default: until Ctrl-C).\n"
    "  --rate MS     requested update rate in milliseconds (default 1000)\n"
    "  --seconds N   stop after N seconds\n"
    "  --da1         through the DA 1.0 data advise (IDataObject, stream with\n"
    "                time stamps) instead of the DA 2.0 callback\n";

constexpr char kDiagnose[] =
    "Usage: OpcClient diagnose [--seconds N] [--progid ID] [--json]\n"
    "\n"
    "Checks what OPC clients need: the ProgID and class keys, the server's\n"
    "executable, the OPC DA categories and vendor key, a proxy with an existing\n"
    "DLL for every OPC interface, and that the server starts and answers\n"
    "GetStatus within N seconds (default 15), naming the process that answered.\n"
    "Each problem comes with the command that fixes it. Exit status 0 only when\n"
    "every check holds.\n";

constexpr char kWait[] =
    "Usage: OpcClient wait [--seconds N]\n"
    "\n"
    "Waits up to N seconds (default 30) until a server started by hand shows\n"
    "that its class objects are registered, without starting one itself.\n"
    "For scripts that start the server and then connect clients to it.\n"
    "Exit status 2 when none appeared in time.\n";

}  // namespace

const char* UsageText(TCommand topic)
{
    switch (topic) {
    case TCommand::Status:
        return kStatus;
    case TCommand::Browse:
        return kBrowse;
    case TCommand::Props:
        return kProps;
    case TCommand::Read:
        return kRead;
    case TCommand::Write:
        return kWrite;
    case TCommand::Watch:
        return kWatch;
    case TCommand::Diagnose:
        return kDiagnose;
    case TCommand::Wait:
        return kWait;
    case TCommand::Help:
        break;
    }
    return kOverview;
}
