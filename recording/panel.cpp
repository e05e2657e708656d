// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/panel.h"

Panel::Panel(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
}
