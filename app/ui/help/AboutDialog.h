// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace app {

// The program's own About box (`frmAbout`): name, version, licence and the
// codec libraries the program found, with their versions. It opens the codec
// libraries that are not open yet, as a conversion would. UI thread.
class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* Parent = nullptr);

    // "libFLAC 1.4.2"-style lines, "not found" for a missing library.
    static QStringList LibraryLines();
};

} // namespace app
