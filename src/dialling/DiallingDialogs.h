#pragma once

#include <QString>

struct TSettings;

// The dialling windows as the commands see them. The GUI shows its forms; tests script
// what the person does.
class IDiallingDialogs
{
public:
    virtual ~IDiallingDialogs() = default;

    // The dialling window, modal: the call starts when it shows and the window closes
    // when the call has ended.
    virtual void ShowCall() = 0;

    // The dialling settings, filled from `settings`; true on "&Použít" with `settings`
    // holding the values of the fields.
    virtual bool EditDialling(TSettings &settings) = 0;
};

// The desktop's own program for telephone links (a softphone, a linked mobile).
class IDesktopPhone
{
public:
    virtual ~IDesktopPhone() = default;
    // False when no program takes tel: links.
    virtual bool OpenTel(const QString &url) = 0;
};
