// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <memory>

class Ui_ProgressDialog;

// A frameless progress window for long reads. Escape does not close it; only
// its Close button asks the running work to stop.
class ProgressDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressDialog(int minimum = 0, int maximum = 100, QWidget* parent = nullptr);
    ~ProgressDialog() override;

    void setValue(int value);
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    // A busy bar for work of unknown length.
    void setIndeterminate();
    void setInfo(const QString& text);

public slots:
    void reject() override;

signals:
    void canceled();

protected:
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<Ui_ProgressDialog> ui;
};
