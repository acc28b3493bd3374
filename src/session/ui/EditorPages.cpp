#include "session/ui/EditorPages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

// Group boxes sit close together so that nine telephone groups fit the smallest window.
void Tighten(QLayout *l)
{
    l->setContentsMargins(6, 2, 6, 4);
    l->setSpacing(4);
}

QGroupBox *Group(QWidget *parent, const QString &name, const QString &title)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(name);
    return g;
}

// Tabs with less padding, so all five captions fit beside the list at the usual width.
class TTightTabs : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric m, const QStyleOption *o, const QWidget *w) const override
    {
        const int v = QProxyStyle::pixelMetric(m, o, w);
        return m == PM_TabBarTabHSpace ? qMax(8, v - 10) : v;
    }
};

} // namespace

TEditorPages::TEditorPages(QWidget *parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("PageControl1"));
    auto *tight = new TTightTabs;
    tight->setParent(tabBar());
    tabBar()->setStyle(tight);
    AddPage(POsobni, "POsobni", "Osobní údaje", BuildOsobni(), true);
    AddPage(PAdresa, "PAdresa", "Adresa", BuildAdresa(), true);
    AddPage(PTelefon, "PTelefon", "Telefon", BuildTelefon(), true);
    AddPage(PVyroci, "PVyroci", "Výročí, firma a volby", BuildVyroci(), true);
    AddPage(PPoznamky, "PPoznamky", "Poznámky", BuildPoznamky(), false);
}

void TEditorPages::AddPage(TPage p, const char *name, const char *caption, QWidget *content, bool scroll)
{
    QWidget *page = content;
    if (scroll) {
        // Scroll bars appear only when a page cannot fit the window.
        auto *area = new QScrollArea;
        area->setFrameShape(QFrame::NoFrame);
        area->setWidgetResizable(true);
        area->setWidget(content);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page = area;
    }
    page->setObjectName(QString::fromLatin1(name));
    m_pages[size_t(p)] = page;
    addTab(page, U(caption));
}

QLineEdit *TEditorPages::MakeEdit(EField f, QWidget *parent)
{
    const TFieldInfo &info = FieldInfo(f);
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(info.Name));
    e->setMaxLength(info.Capacity);
    m_edits[size_t(f)] = e;
    return e;
}

QGroupBox *TEditorPages::Single(QWidget *parent, const char *name, const char *title, EField f)
{
    QGroupBox *g = Group(parent, QString::fromLatin1(name), U(title));
    auto *l = new QVBoxLayout(g);
    Tighten(l);
    l->addWidget(MakeEdit(f, g));
    return g;
}

QWidget *TEditorPages::BuildOsobni()
{
    auto *w = new QWidget;
    auto *grid = new QGridLayout(w);
    // Created in field order so that Tab follows the fields.
    grid->addWidget(Single(w, "GNazevPolozky", "&Název položky", EField::NazevPolozky), 0, 0, 1, 2);
    grid->addWidget(Single(w, "GTitulPred", "Titul př&ed jménem", EField::TitulPred), 1, 0);
    grid->addWidget(Single(w, "GPrijmeni", "&Příjmení", EField::Prijmeni), 1, 1);
    grid->addWidget(Single(w, "GJmeno", "&Jméno", EField::Jmeno), 2, 0);
    grid->addWidget(Single(w, "GPrezdivka", "Pře&zdívka", EField::Prezdivka), 2, 1);
    grid->addWidget(Single(w, "GTitulZa", "Titul z&a jménem", EField::TitulZa), 3, 0);
    grid->addWidget(Single(w, "GRodneCislo", "&Rodné číslo", EField::RodneCislo), 3, 1);
    grid->addWidget(Single(w, "GVzdelani", "&Vzdělání", EField::Vzdelani), 4, 0, 1, 2);
    grid->addWidget(Single(w, "GZamestnani", "Za&městnání", EField::Zamestnani), 5, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    return w;
}

QWidget *TEditorPages::BuildAdresa()
{
    auto *w = new QWidget;
    auto *grid = new QGridLayout(w);
    static const char *const hints[] = {"Ulice", "Místo", "Stát", "PSČ"};
    for (int a = 1; a <= 3; ++a) {
        QGroupBox *g = Group(w, QStringLiteral("GAdresa%1").arg(a), QString());
        m_gAdresa[size_t(a - 1)] = g;
        auto *l = new QGridLayout(g);
        Tighten(l);
        QLineEdit *parts[4];
        // Visual order street, postcode, place, state; Tab follows it.
        for (int part : {0, 3, 1, 2}) {
            parts[part] = MakeEdit(AddressField(a, part), g);
            parts[part]->setToolTip(U(hints[part]));
            parts[part]->setPlaceholderText(U(hints[part]));
        }
        parts[3]->setFixedWidth(parts[3]->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 10 + 16);
        l->addWidget(parts[0], 0, 0, 1, 2);
        l->addWidget(parts[3], 1, 0);
        l->addWidget(parts[1], 1, 1);
        l->addWidget(parts[2], 2, 0, 1, 2);
        grid->addWidget(g, a - 1, 0, 1, 2);
    }
    grid->addWidget(Single(w, "GEmail", "&E-mail", EField::Email), 3, 0);
    grid->addWidget(Single(w, "GHttp", "&HTTP", EField::Http), 3, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    return w;
}

QWidget *TEditorPages::BuildTelefon()
{
    auto *w = new QWidget;
    auto *v = new QVBoxLayout(w);
    // Nine groups in the smallest window: as little air as the frames allow.
    v->setContentsMargins(6, 0, 6, 0);
    v->setSpacing(0);
    static const char *const hints[] = {
        "Volačka státu, doubleclick vytočí číslo", "Volačka místa, doubleclick vytočí číslo",
        "Telefonní číslo, doubleclick vytočí číslo", "Linka, doubleclick vytočí číslo"};
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int t = 1; t <= 9; ++t) {
        QGroupBox *g = Group(w, QStringLiteral("GTelefon%1").arg(t), QString());
        m_gTelefon[size_t(t - 1)] = g;
        auto *h = new QHBoxLayout(g);
        h->setContentsMargins(6, 0, 6, 2);
        h->setSpacing(4);
        for (int part = 0; part < 4; ++part) {
            QLineEdit *e = MakeEdit(PhoneField(t, part), g);
            e->setToolTip(U(hints[part]));
            if (part != 2)
                e->setFixedWidth(digit * 5 + 14);
            h->addWidget(e, part == 2 ? 1 : 0);
        }
        v->addWidget(g);
    }
    v->addStretch(1);
    return w;
}

QWidget *TEditorPages::BuildVyroci()
{
    auto *w = new QWidget;
    auto *grid = new QGridLayout(w);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));

    QGroupBox *gn = Group(w, QStringLiteral("GNarozeniny"), U("&Narozeniny"));
    auto *hn = new QHBoxLayout(gn);
    Tighten(hn);
    QLineEdit *narozeniny = MakeEdit(EField::Narozeniny, gn);
    narozeniny->setFixedWidth(digit * 10 + 16);
    m_vek = new QLabel(gn);
    m_vek->setObjectName(QStringLiteral("Vek"));
    hn->addWidget(narozeniny);
    hn->addWidget(m_vek, 1);
    grid->addWidget(gn, 0, 0, 1, 2);

    QGroupBox *gj = Group(w, QStringLiteral("GJmeniny"), U("&Jmeniny"));
    auto *hj = new QHBoxLayout(gj);
    Tighten(hj);
    QLineEdit *svatek = MakeEdit(EField::Svatek, gj);
    svatek->setFixedWidth(digit * 6 + 16);
    m_jmeniny = new QLabel(gj);
    m_jmeniny->setObjectName(QStringLiteral("Jmeniny"));
    m_buttonJmeniny = new QPushButton(U("V&ybrat"), gj);
    m_buttonJmeniny->setObjectName(QStringLiteral("ButtonJmeniny"));
    // Enabled by the name-day picker when it is wired in.
    m_buttonJmeniny->setEnabled(false);
    hj->addWidget(svatek);
    hj->addWidget(m_jmeniny, 1);
    hj->addWidget(m_buttonJmeniny);
    grid->addWidget(gj, 1, 0, 1, 2);

    grid->addWidget(Single(w, "GIco", "&IČO", EField::Ico), 2, 0);
    grid->addWidget(Single(w, "GDic", "&DIČ", EField::Dic), 2, 1);
    grid->addWidget(Single(w, "GBanka", "&Banka", EField::Banka), 3, 0);
    grid->addWidget(Single(w, "GUcet", "Úče&t číslo", EField::Ucet), 3, 1);

    QGroupBox *gv = Group(w, QStringLiteral("GVolby"), U("&Volby"));
    auto *gl = new QGridLayout(gv);
    Tighten(gl);
    gl->setVerticalSpacing(2);
    for (int i = 1; i <= kFlagCount; ++i) {
        auto *c = new QCheckBox(gv);
        c->setObjectName(QStringLiteral("Log%1").arg(i));
        m_logs[size_t(i - 1)] = c;
        gl->addWidget(c, (i - 1) % 5, (i - 1) / 5);
    }
    gl->setColumnStretch(0, 1);
    gl->setColumnStretch(1, 1);
    grid->addWidget(gv, 4, 0, 1, 2);

    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    return w;
}

QWidget *TEditorPages::BuildPoznamky()
{
    auto *w = new QWidget;
    auto *v = new QVBoxLayout(w);
    v->setContentsMargins(4, 4, 4, 4);
    m_poznamka = new QPlainTextEdit(w);
    m_poznamka->setObjectName(QStringLiteral("Poznamka"));
    m_poznamka->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_poznamka->setTabChangesFocus(true);
    v->addWidget(m_poznamka);
    return w;
}

int TEditorPages::PageOf(const QWidget *w) const
{
    for (int p = 0; p < PageCount; ++p) {
        if (m_pages[size_t(p)] && m_pages[size_t(p)]->isAncestorOf(w))
            return p;
    }
    return -1;
}

int TEditorPages::FieldOf(const QObject *edit) const
{
    for (int i = 0; i < kTextFieldCount; ++i) {
        if (m_edits[size_t(i)] == edit)
            return i;
    }
    return -1;
}
