#pragma once

#include <QApplication>

// Text of the application-wide error box: the error's message, a blank line and the
// support contact.
QString supportErrorText(const QString &message);

// Shows an error that no handler dealt with; the program carries on afterwards.
void ApplicationEvents1Exception(const QString &message);

// The application object: every exception that escapes an event handler ends here
// instead of taking the program down.
class TarvoApplication : public QApplication
{
    Q_OBJECT
public:
    TarvoApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
