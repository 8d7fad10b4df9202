// A browser session on the statically linked shell: tables exchanged, one
// instance created, nothing else done yet.
#pragma once

#include "plugin/EntryPoints.h"
#include "tests/plugin/FakeBrowser.h"
#include "tests/plugin/FakeCommands.h"

#include <gtest/gtest.h>

class ShellTest : public ::testing::Test {
protected:
  void SetUp() override {
    fakebrowser::Reset();
    fakecommands::Reset();
    m_browser = fakebrowser::Table();
    ASSERT_EQ(NP_Initialize(&m_browser), NPERR_NO_ERROR);
    m_funcs.size = sizeof(m_funcs);
    ASSERT_EQ(NP_GetEntryPoints(&m_funcs), NPERR_NO_ERROR);
    ASSERT_EQ(m_funcs.newp(const_cast<char *>("application/x"), &m_npp,
                           NP_EMBED, 0, nullptr, nullptr, nullptr),
              NPERR_NO_ERROR);
  }
  void TearDown() override {
    if (m_npp.pdata != nullptr)
      m_funcs.destroy(&m_npp, nullptr);
  }

  // The scriptable object as the browser receives it (one reference).
  NPObject *Scriptable() {
    NPObject *object = nullptr;
    EXPECT_EQ(m_funcs.getvalue(&m_npp, NPPVpluginScriptableNPObject, &object),
              NPERR_NO_ERROR);
    return object;
  }

  NPNetscapeFuncs m_browser = {};
  NPPluginFuncs m_funcs = {};
  NPP_t m_npp = {};
};
