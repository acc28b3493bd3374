#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
struct TSettings;

// "Nastavení vytáčení": own codes, prefixes, modem commands, the port and its device,
// whether dialling is on and whether calls go to the desktop's tel: handler.
class TFormVytaKonf : public QDialog
{
    Q_OBJECT

public:
    explicit TFormVytaKonf(QWidget *parent = nullptr);

    // Every control takes the current value of its setting.
    void FormActivate(const TSettings &s);
    // The fields' texts as they stand, the port brought into 1..4.
    void Values(TSettings &s) const;

    // Modal; true on "&Použít" with `s` holding the new values.
    bool Edit(TSettings &s);

private:
    std::array<QLineEdit *, 7> m_edits {};
    std::array<QLineEdit *, 4> m_devices {};
    QSpinBox *m_port;
    QCheckBox *m_enable;
    QCheckBox *m_system;
    QPushButton *m_ok;
    QPushButton *m_ne;
};
