// Restores the process-wide interface language after each test that changes it.
#pragma once

#include "services/i18n/translate.h"

#include <gtest/gtest.h>

namespace pm::test {

class LanguageTest : public ::testing::Test {
protected:
    void TearDown() override { currentLanguage = saved_; }

private:
    int saved_ = currentLanguage;
};

}  // namespace pm::test
