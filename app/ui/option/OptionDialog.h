// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace app {

class TcdSettings;

// The Option dialog (`frmOption`): the output format the conversions use
// (sample rate, bits per sample, channels, encoding), what they do with an
// existing WAV file and how many files convert at once. IMA ADPCM takes 16 bits only: while it is chosen the
// existing WAV file and whether the WAV files carry the sources' tags. IMA ADPCM takes 16 bits only: while it is chosen the
// other depths cannot be picked. OK stores the choices in the settings in memory; they reach the settings file when the
// program ends or at the next explicit save. Cancel changes nothing.
// User-interface thread only.
class TfrmOption : public QDialog {
    Q_OBJECT

public:
    // Builds the dialog and applies the language file's "frmOption" section.
    TfrmOption(TcdSettings& Settings, const QString& LanguageFile, QWidget* Parent = nullptr);

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // Selects the items the settings hold.
    void FormShow();
    void btnOKClick();
    void EncodingChanged();

    TcdSettings& FSettings;
    QComboBox* FRate;
    QComboBox* FBits;
    QComboBox* FChannels;
    QComboBox* FEncoding;
    QComboBox* FIfExists;
    QComboBox* FParallel;
    QCheckBox* FKeepTime;
    QCheckBox* FCopyTags;
};

} // namespace app
