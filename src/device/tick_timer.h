#pragma once
// LinkTimer on a precise single-shot QTimer.

#include "link_timer.h"

#include <QTimer>

class TickTimer : public LinkTimer
{
    Q_OBJECT

public:
    explicit TickTimer(QObject *parent = nullptr);

    void start(std::chrono::milliseconds interval) override;
    void stop() override;

private:
    QTimer m_timer;
};
