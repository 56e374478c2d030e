// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QTextBrowser;

namespace app {

// A document that ships beside the program (README.md, "Command line.txt")
// shown inside the program, Markdown rendered, plain text as it is, so that
// help works on desktops with no viewer set up. Links to the web go to the
// browser; links inside the document are followed here. A missing file says
// so in the viewer. UI thread.
class TDocumentViewer : public QDialog {
    Q_OBJECT

public:
    TDocumentViewer(const QString& Path, QWidget* Parent = nullptr);

    QTextBrowser* Browser() const { return FBrowser; }

private:
    QTextBrowser* FBrowser;
};

} // namespace app
