#pragma once

#include <QObject>
#include <QStringList>

// The five most recently used books, most recent first; an empty slot is a hidden item.
class TRecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSlots = 5;
    static constexpr qsizetype kLongestPath = 4096;

    using QObject::QObject;

    const QStringList &Files() const { return m_files; }
    void SetFiles(const QStringList &files);
    // Moves an existing entry (compared in Windows-1250 capitals) or a new one to the top.
    void AddRecentFile(const QString &name);

signals:
    void Changed();

private:
    QStringList m_files = QStringList(kSlots);
};
