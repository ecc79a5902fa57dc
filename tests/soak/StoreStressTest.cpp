// Several processes store and recall memories and defaults at once; every value any of them
// reads must be one that some process wrote whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "SoakSupport.h"
#include "StoreWriter.h"
#include "engine/Lyrebloom.h"

namespace {

class PrivateConfigHome {
  public:
    PrivateConfigHome() {
        std::string pattern = "/tmp/lyre-soak-store-XXXXXX";
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        const char* old = std::getenv("XDG_CONFIG_HOME");
        if (old) previous_ = old;
        ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    }
    ~PrivateConfigHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        if (previous_.empty())
            ::unsetenv("XDG_CONFIG_HOME");
        else
            ::setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_, previous_;
};

TEST(StoreStress, StampsDetectATornRecord) {
    ProgramBank bank;
    bank.fill(soak::stampedProgram(41));
    EXPECT_TRUE(storewriter::wholeBank(bank));
    bank[3] = soak::stampedProgram(42);
    EXPECT_FALSE(storewriter::wholeBank(bank)) << "programs of two writes";
    bank[3] = soak::stampedProgram(41);
    bank[3].values[5] = 0.5f;
    EXPECT_FALSE(storewriter::wholeBank(bank)) << "one value of another write";
    bank[3] = soak::stampedProgram(41);
    bank[3].name[6] = '9';
    EXPECT_FALSE(storewriter::wholeBank(bank)) << "a name of another write";

    // A new instance: the preset's shared values reach every program.
    ProgramBank defaults;
    defaults.fill(soak::stampedProgram(7));
    defaults[0] = soak::stampedProgram(9);
    for (auto& p : defaults)
        for (int i : {kOutput, kMix, kBypass})
            p.values[i] = defaults[0].values[i];
    EXPECT_TRUE(storewriter::wholeDefaults(defaults));
    defaults[4].values[kDamp] = 0.25f;
    EXPECT_FALSE(storewriter::wholeDefaults(defaults));
}

TEST(StoreStress, ConcurrentProcessesOnlyEverReadWholeRecords) {
    PrivateConfigHome home;
    ASSERT_FALSE(home.path().empty());
    storewriter::seedStore();
    {
        // The seeds are readable before the writers start.
        Lyrebloom fresh(soak::quietHost);
        ASSERT_TRUE(storewriter::wholeDefaults(fresh.programs()));
    }
    constexpr int kWriters = 4;
    const double seconds = soak::durationSeconds(30.0) / 3.0;
    std::vector<int> pids;
    for (int id = 0; id < kWriters; ++id)
        pids.push_back(soak::startHelper({"--store-writer", std::to_string(id),
                                          std::to_string(kWriters), std::to_string(seconds)}));
    for (int id = 0; id < kWriters; ++id)
        EXPECT_EQ(soak::waitHelper(pids[id]), 0) << "writer " << id;
}

} // namespace
