// Errors raised by the cipher pass through the central handler, which reads
// and seeds the "Log" settings; keep those away from the user's own store.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "testsupport/TempDir.h"

namespace {

class StorageEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir = std::make_unique<keymora::test::TempDir>();
        setenv("KEYMORA_CONFIG_DIR", m_dir->path().c_str(), 1);
    }
    void TearDown() override { m_dir.reset(); }

private:
    std::unique_ptr<keymora::test::TempDir> m_dir;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new StorageEnvironment);

}  // namespace
