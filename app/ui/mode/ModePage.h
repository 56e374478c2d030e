// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <utility>
#include <vector>

class QAbstractButton;
class QLabel;
class QRadioButton;

namespace app {

// The mode page (`tsMode`), the first the user sees: the banner, the choice
// between batch and hot directory mode, "&Next", "&Exit", "&About", and the
// link to the command-line tool's notes. It only reports what was pressed; the
// main window acts. User-interface thread only.
class TModePage : public QWidget {
    Q_OBJECT

public:
    explicit TModePage(QWidget* Parent = nullptr);

    // "&Hot Directories Mode" is checked rather than "&Batch Convert Mode".
    bool HotDirChosen() const;

signals:
    void NextRequested();
    void ExitRequested();
    void AboutRequested();
    void CommandLineRequested();

protected:
    // The notes may have been renamed by the language file since the choices
    // took them as their descriptions.
    void showEvent(QShowEvent* Event) override;

private:
    QRadioButton* FHotDir = nullptr;
    // Each choice's note, which a screen reader reads as its description.
    std::vector<std::pair<QLabel*, QAbstractButton*>> FNotes;
};

} // namespace app
