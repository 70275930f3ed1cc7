#pragma once

// Catches the addresses of one scheme that the desktop would open, while it exists.

#include <QList>
#include <QObject>
#include <QUrl>

// Takes the URLs of a scheme instead of the user's programs while it exists.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit TUrlCatcher(const QString& Scheme);
    ~TUrlCatcher() override;

    QList<QUrl> Opened;

public slots:
    void Open(const QUrl& Url) { Opened.append(Url); }

private:
    QString FScheme;
};
