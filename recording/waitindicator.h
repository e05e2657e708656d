// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shows the wait cursor application-wide for as long as it lives; the
// previous cursor comes back when it goes out of scope.
class WaitIndicator
{
public:
    WaitIndicator();
    ~WaitIndicator();

    WaitIndicator(const WaitIndicator&) = delete;
    WaitIndicator& operator=(const WaitIndicator&) = delete;

private:
    bool m_active = false;
};
