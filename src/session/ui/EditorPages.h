#pragma once

#include "book/ContactRecord.h"

#include <QTabWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The tabbed editor of one entry (PageControl1): five pages whose controls bear the
// names of the record fields they show. Holds no state of its own.
class TEditorPages : public QTabWidget
{
    Q_OBJECT

public:
    enum TPage { POsobni, PAdresa, PTelefon, PVyroci, PPoznamky, PageCount };

    explicit TEditorPages(QWidget *parent = nullptr);

    QLineEdit *Edit(EField f) const { return m_edits[size_t(f)]; }
    QCheckBox *Log(int i /*1..10*/) const { return m_logs[size_t(i - 1)]; }
    QGroupBox *GTelefon(int i /*1..9*/) const { return m_gTelefon[size_t(i - 1)]; }
    QGroupBox *GAdresa(int i /*1..3*/) const { return m_gAdresa[size_t(i - 1)]; }
    QPlainTextEdit *Poznamka() const { return m_poznamka; }
    QLabel *Vek() const { return m_vek; }
    QLabel *Jmeniny() const { return m_jmeniny; }
    QPushButton *ButtonJmeniny() const { return m_buttonJmeniny; }
    QWidget *Page(TPage p) const { return m_pages[size_t(p)]; }
    // The page that holds a control of the editor, or -1.
    int PageOf(const QWidget *w) const;

    // -1 when the widget is not one of the field edits.
    int FieldOf(const QObject *edit) const;

private:
    QLineEdit *MakeEdit(EField f, QWidget *parent);
    QGroupBox *Single(QWidget *parent, const char *name, const char *title, EField f);
    QWidget *BuildOsobni();
    QWidget *BuildAdresa();
    QWidget *BuildTelefon();
    QWidget *BuildVyroci();
    QWidget *BuildPoznamky();
    void AddPage(TPage p, const char *name, const char *caption, QWidget *content, bool scroll);

    std::array<QLineEdit *, kTextFieldCount> m_edits {};
    std::array<QCheckBox *, kFlagCount> m_logs {};
    std::array<QGroupBox *, 9> m_gTelefon {};
    std::array<QGroupBox *, 3> m_gAdresa {};
    std::array<QWidget *, PageCount> m_pages {};
    QPlainTextEdit *m_poznamka = nullptr;
    QLabel *m_vek = nullptr;
    QLabel *m_jmeniny = nullptr;
    QPushButton *m_buttonJmeniny = nullptr;
};
