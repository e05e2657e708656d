// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// Base of the dock panels: a tool window that never takes the focus from the
// main window when it appears.
class Panel : public QWidget
{
    Q_OBJECT
public:
    explicit Panel(QWidget* parent = nullptr);
};
