#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tavrin::testing {

// One application object (QCoreApplication, or QApplication for widgets)
// for every test of a program: register it with
// ::testing::AddGlobalTestEnvironment(new QtEnvironment<QApplication>("name")).
template <typename App>
class QtEnvironment : public ::testing::Environment {
  public:
    explicit QtEnvironment(const char* name) : m_name(name) {}
    void SetUp() override {
        m_argv[0] = m_name.data();
        m_app = std::make_unique<App>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    std::string m_name;
    int m_argc = 1;
    char* m_argv[2] = {nullptr, nullptr};
    std::unique_ptr<App> m_app;
};

}  // namespace tavrin::testing
