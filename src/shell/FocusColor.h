#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

class QWidget;

// Paints the focused edit control light yellow and turns the one that had it before
// white. Buttons, grids, windows, group boxes, panels and navigators are left alone.
class FocusColor : public QObject
{
    Q_OBJECT
public:
    explicit FocusColor(QObject *parent = nullptr);

    // 0xB0FFFF as the old Windows BGR value.
    static QColor focusColor() { return QColor(255, 255, 176); }
    static QColor leaveColor() { return QColor(255, 255, 255); }

    // Excluded from colouring by its class.
    static bool isExcluded(const QWidget *w);
    // Has a background colour of its own that we may set.
    static bool hasColor(const QWidget *w);
    static void setColor(QWidget *w, const QColor &c);
    static QColor color(const QWidget *w);

    // Hooked to QApplication::focusChanged; only the new focus matters.
    void focusChanged(QWidget *old, QWidget *now);
    QWidget *remembered() const { return m_last; }

    // Starts following the application's focus.
    void install();

private:
    QPointer<QWidget> m_last;
};
