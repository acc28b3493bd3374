#pragma once

#include <QString>

struct TSettings;

// The four texts of the dialling window.
struct TDialLabels
{
    QString TextC;
    QString Cislo;
    QString TextL;
    QString Linka;

    bool operator==(const TDialLabels &) const = default;
};

// The text a modem dials for a telephone group: international, national or local form
// chosen by comparing the group's codes with the own ones exactly as typed; nothing of
// the number is changed, the commas are the modem's pauses.
QString ComposeNumber(const TSettings &s, const QString &country, const QString &area, const QString &number);

// The window's labels for a call of that group; the extension is shown, never dialled.
TDialLabels ComposeLabels(const TSettings &s, const QString &country, const QString &area, const QString &number,
                          const QString &extension);

// A tel: link for the desktop: "tel:+<country><area><number>" with only the digits kept.
// An empty country code means the own country; the national and local forms take the
// own codes. Without an own country code the number stays as it is dialled at home,
// without "+". A number typed with a leading "+" is taken whole. Empty when there is no
// digit to call.
QString ComposeTelUrl(const TSettings &s, const QString &country, const QString &area, const QString &number);
