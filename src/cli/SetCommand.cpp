// velmora set: sets DWM attributes in the order given, then reads back what the DWM made of them.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Reports.h"

namespace cli {
namespace {

std::string SetLineText(const SetLine& line) {
    const dwm::Attribute& attribute = *line.assignment->attribute;
    std::string now = "not readable";
    if (attribute.readable) {
        now = line.readBack.result >= 0 ? "now " + dwm::DescribeValue(attribute, line.readBack.value)
                                        : "now unknown (" + FailureText(line.readBack.result) + ")";
    }
    return std::string(attribute.name) + ": requested " + line.assignment->text + ", " + ResultText(line.result) +
           ", " + now + "\n";
}

}  // namespace

int RunSet(const SetCommand& command) {
    const HWND window = SelectOrExplain(command.window);
    if (window == nullptr) return kExitNoWindow;
    ProcessNames names;
    SetReport report{GatherFacts(window, names), {}};
    bool failed = false;
    // In the order given; a refusal does not stop the rest.
    for (const Assignment& assignment : command.assignments) {
        if (HasClosed(window)) return kExitNoWindow;
        SetLine line{&assignment, dwm::WriteAttribute(window, *assignment.attribute, assignment.value), {}};
        if (assignment.attribute->readable) line.readBack = dwm::ReadAttribute(window, *assignment.attribute);
        failed = failed || line.result < 0;
        report.lines.push_back(line);
    }
    if (command.json) {
        WriteOut(SetJson(report));
    } else {
        std::string text;
        for (const SetLine& line : report.lines) text += SetLineText(line);
        WriteOut(text);
    }
    return failed ? kExitDwmFailed : kExitOk;
}

}  // namespace cli
