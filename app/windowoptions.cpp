#include "windowoptions.h"

#include <QCommandLineParser>

namespace {
const QString PORT_OPTION = QStringLiteral("port");
} // namespace

void addWindowOptions(QCommandLineParser &parser)
{
    parser.addOption(
        {PORT_OPTION,
         QStringLiteral(
             "List PATH as a serial port (pseudo-terminals, symlinks); may be repeated."),
         QStringLiteral("PATH")});
}

WindowOptions readWindowOptions(const QCommandLineParser &parser)
{
    return {parser.values(PORT_OPTION), false};
}
