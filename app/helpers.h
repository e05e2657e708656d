// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QColor;
class QCPAxis;
class QCustomPlot;
class QPalette;
class QString;
class QWidget;

// Process-wide mode flags and small shared helpers.
class Helpers
{
public:
    Helpers() = delete;

    static bool powerMode;      // a model 500 is attached, or its recording is loaded
    static bool power600Mode;   // a model 600 is attached, or its recording is loaded
    static bool isMeasuring;    // a recording run is active
    static bool isUpdating;     // a firmware upload runs; nothing else may be sent
    static bool isFahrentheit;  // temperatures shown in Fahrenheit
    static int timeFormat;      // 1: seconds, 2: clock time

    // Both flags clear: the legacy logger protocol.
    static bool loggerMode() { return !powerMode && !power600Mode; }

    // Widget helpers, defined in the widget library (helpers_widgets.cpp).
    static QPalette darkPalette();
    // Background c; the time axis in c's inverse so it stays readable.
    static void setPlotterColor(QCustomPlot* plot, const QColor& c);
    static void setAxisColor(QCPAxis* axis, const QColor& c);
    // A modal warning box. buttons and defaultButton are QMessageBox standard
    // buttons; returns the one pressed.
    static int warning(QWidget* parent, const QString& title, const QString& text, int buttons,
                       int defaultButton);
};
