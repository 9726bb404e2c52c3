#include "shell/FocusColor.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextEdit>

FocusColor::FocusColor(QObject *parent) : QObject(parent) {}

void FocusColor::install()
{
    connect(qApp, &QApplication::focusChanged, this, &FocusColor::focusChanged,
            Qt::UniqueConnection);
}

bool FocusColor::isExcluded(const QWidget *w)
{
    if (!w)
        return true;
    if (qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QAbstractItemView *>(w))
        return true;
    if (w->isWindow() || qobject_cast<const QMdiSubWindow *>(w) || qobject_cast<const QDialog *>(w))
        return true;
    if (qobject_cast<const QGroupBox *>(w) || w->inherits("DbNavigator"))
        return true;
    // Plain containers play the part of panels.
    const QMetaObject *mo = w->metaObject();
    return mo == &QWidget::staticMetaObject || mo == &QFrame::staticMetaObject;
}

bool FocusColor::hasColor(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w) ||
           qobject_cast<const QComboBox *>(w) || qobject_cast<const QTextEdit *>(w) ||
           qobject_cast<const QPlainTextEdit *>(w);
}

void FocusColor::setColor(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    // A closed combo box paints its face with the button colour.
    if (qobject_cast<QComboBox *>(w))
        p.setColor(QPalette::Button, c);
    w->setPalette(p);
}

QColor FocusColor::color(const QWidget *w)
{
    return w->palette().color(QPalette::Base);
}

void FocusColor::focusChanged(QWidget *, QWidget *now)
{
    if (!now) {
        m_last = nullptr;
        return;
    }
    const bool colorNew = !isExcluded(now);
    QWidget *previous = m_last;
    const bool restorePrevious = previous && previous != now && !isExcluded(previous);
    m_last = now;
    if (restorePrevious && hasColor(previous))
        setColor(previous, leaveColor());
    if (colorNew && hasColor(now))
        setColor(now, focusColor());
}
