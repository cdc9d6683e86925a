// The manual page of vantrel-cli, made from its help texts: a command added to the command table
// appears in it with its help.
#include "Commands.h"

namespace vantrel::cli {

namespace {

// Text as roff shows it: backslashes and minus signs escaped, no line taken for a request.
std::string Escaped(std::string_view text)
{
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

// Preformatted lines, as the terminal help shows them.
std::string Verbatim(std::string_view text) { return ".nf\n" + Escaped(text) + ".fi\n"; }

// Flowing paragraphs: the lines of each paragraph joined by roff, paragraphs apart.
std::string Paragraphs(std::string_view text)
{
    std::string out = Escaped(text);
    for (size_t at = out.find("\n\n"); at != std::string::npos; at = out.find("\n\n", at + 4))
        out.replace(at, 2, "\n.PP\n");
    return out;
}

} // namespace

std::string ManPage(std::string_view version)
{
    std::string page = ".TH VANTREL\\-CLI 1 \"\" \"Vantrel " + Escaped(version) + "\" \"User Commands\"\n";
    page += ".SH NAME\nvantrel\\-cli \\- inspect, draw and convert SHP sprite files\n";
    page += ".SH SYNOPSIS\n.B vantrel\\-cli\n.I COMMAND\n[\\fIARGUMENTS\\fR] [\\fIOPTIONS\\fR]\n.br\n"
            ".B vantrel\\-cli help\n[\\fICOMMAND\\fR]\n.br\n.B vantrel\\-cli \\-\\-version\n";
    page += ".SH DESCRIPTION\n" + Paragraphs(ToolSummary);
    page += ".PP\nEvery command takes \\fB\\-\\-help\\fR for its own help. The commands:\n";
    page += ".SH COMMANDS\n";
    for (const TCommand& command : CommandTable())
        page += ".SS " + Escaped(command.Name) + "\n" + Escaped(command.Summary) + ".\n.PP\n" + Verbatim(command.Help);
    page += ".SH \"MANY FILES\"\n" + Paragraphs(BatchText);
    page += ".SH FILES\n" + Paragraphs(DataFoldersText);
    page += ".SH \"EXIT STATUS\"\n" + Paragraphs(ExitStatusText);
    page += ".SH \"SEE ALSO\"\n.BR vantrel (1)\n";
    return page;
}

} // namespace vantrel::cli
