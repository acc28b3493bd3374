#pragma once

#include <QSize>

struct TBookLabels;

// What the model needs of the main window: showing the book's captions and the
// window geometry kept with the settings.
class IMainView
{
public:
    virtual ~IMainView() = default;
    virtual void ApplyLabels(const TBookLabels &labels) = 0;
    virtual QSize WindowSize() const = 0;
    virtual void SetWindowSize(QSize size) = 0;
    virtual int ListWidth() const = 0;
    virtual void SetListWidth(int width) = 0;
};
