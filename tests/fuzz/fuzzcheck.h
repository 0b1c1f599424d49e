// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>

//! A broken promise ends the run: libFuzzer keeps the input that broke it.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}
