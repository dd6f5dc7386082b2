#include "lab/LabOptions.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{
struct Parsed
{
    int status;
    LabOptions options;
    std::string out, err;
};

Parsed parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "velorin-lab");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    Parsed p;
    std::ostringstream out, err;
    p.status = parseLabOptions(static_cast<int>(argv.size()), argv.data(), p.options, out, err);
    p.out = out.str();
    p.err = err.str();
    return p;
}

// Every run of the sweep, in output order, as velorin-lab takes them.
std::vector<LabRun> allRuns(const LabOptions& options)
{
    std::vector<LabRun> runs;
    for (std::size_t i = 0, n = runCount(options); i < n; ++i)
        runs.push_back(runAt(options, i));
    return runs;
}

TEST(LabOptions, DefaultsAreTheDemonstrationsStartUp)
{
    const Parsed p = parse({});
    ASSERT_EQ(p.status, -1) << p.err;
    const LabRun& s = p.options.settings;
    EXPECT_EQ(s.gas.law, PotentialKind::Zero);
    EXPECT_EQ(
        (std::vector<int>{s.gas.count, s.gas.width, s.gas.temperature, s.gas.mass, s.gas.C, s.dt, s.seconds, s.warmup}),
        (std::vector<int>{15, 22, 25, 25, 1, 12, 6000, autoWarmup}));
    EXPECT_EQ(s.precision, 0.0);
    EXPECT_EQ(s.screenWidth, 1920u);
    EXPECT_EQ(s.screenHeight, 1080u);
    EXPECT_EQ(s.seed, 1u);
    EXPECT_EQ(allRuns(p.options).size(), 1u);
}

// Every bad input ends before any run with status 2 and a message naming the
// option and, where it has one, its range.
TEST(LabOptions, BadInputNamesTheOptionAndItsRange)
{
    const struct
    {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--count", "1"}, "--count: Value 1 not in range 2 to 100"},
        {{"--count", "101"}, "--count: Value 101 not in range 2 to 100"},
        {{"--count", "ten"}, "--count: 'ten' is not a whole number in decimal digits"},
        {{"--temperature", "2.5"}, "--temperature: '2.5' is not a whole number"},
        {{"--count", "0x10"}, "--count: '0x10' is not a whole number"},
        {{"--jobs", "0x2"}, "--jobs: '0x2' is not a whole number"},
        {{"--seed", ""}, "--seed: '' is not a whole number"},
        {{"--dt", "99999999999999999999"}, "--dt: 99999999999999999999 is too large a number"},
        {{"--screen", "1280X720"}, "--screen: '1280X720' is not a size: the width and height are parted by a small x"},
        {{"--screen", "1280x72O"}, "--screen: '1280x72O' is not a size: the height '72O' is not a whole number"},
        {{"--screen", "1280x720x2"}, "--screen: '1280x720x2' is not a size: more than one x"},
        {{"--sweep", ""}, "--sweep: empty; expected NAME=FROM:TO:STEP"},
        {{"--sweep", "temperature"}, "--sweep: no '=' in 'temperature'"},
        {{"--sweep", "c="}, "--sweep: no values after c="},
        {{"--sweep", "c=1:0x5:1"}, "--sweep: expected c=FROM:TO:STEP: TO '0x5' is not a whole number"},
        {{"--sweep", "c=1:5"}, "--sweep: expected c=FROM:TO:STEP, three numbers, not 2"},
        {{"--sweep", "c=1,0x2"}, "--sweep: '0x2' is not a whole number"},
        {{"--shard", "4/4"}, "--shard: '4/4': expected K/N"},
        {{"--shard", "1"}, "--shard: no '/' in '1'"},
        {{"--shard", "0/0x4"}, "--shard: N '0x4' is not a whole number"},
        {{"--mass", "0"}, "--mass: Value 0 not in range 1 to 50"},
        {{"--c", "6"}, "--c: Value 6 not in range 1 to 5"},
        {{"--dt", "1001"}, "--dt: Value 1001 not in range 1 to 1000"},
        {{"--seconds", "0"}, "--seconds: Value 0 not in range 1 to 1000000"},
        {{"--warmup", "-1"}, "--warmup: Value -1 not in range 0 to 1000000 or auto"},
        {{"--warmup", "Auto"}, "--warmup: 'Auto' is neither auto nor a whole number of seconds in decimal digits"},
        {{"--precision", "0"}, "--precision: Value 0 not in range"},
        {{"--seed", "4294967296"}, "--seed: Value 4294967296 not in range 0 to 4294967295"},
        {{"--repeat", "0"}, "--repeat: Value 0 not in range 1 to 1000"},
        {{"--law", "gravity"}, "--law: gravity not in {zero,attraction,repulsion,lennard-jones}"},
        {{"--screen", "1920"}, "--screen: '1920' is not a size: no x between the width and the height"},
        {{"--screen", "639x480"}, "--screen: Value 639x480 not in range 640x360 to 7680x4320"},
        {{"--width", "34"}, "--width: Value 34 not in range 1 to 33"},
        {{"--width", "251", "--count", "2"}, "--width: Value 251 not in range 1 to 250"},
        {{"--count", "30"}, "--width: Value 22 not in range 1 to 16"},
        {{"--sweep", "count=2:30:1"}, "--width: Value 22 not in range 1 to 21"},
        {{"--sweep", "width=1,34"}, "--sweep: Value 34 not in range 1 to 33"},
        {{"--sweep", "temperature=0:50:10"}, "--sweep: temperature 0 not in range 1 to 50"},
        {{"--sweep", "mass=1:2000000000:1"}, "--sweep: mass 2000000000 not in range 1 to 50"},
        {{"--sweep", "c=1,2,x"}, "--sweep: 'x' is not a whole number"},
        {{"--sweep", "c=1,"}, "--sweep: '' is not a whole number"},
        {{"--sweep", "mass=10:1:1"}, "--sweep: expected mass=FROM:TO:STEP: TO 1 is below FROM 10"},
        {{"--sweep", "mass=1:10:0"}, "--sweep: expected mass=FROM:TO:STEP: STEP 0 is below 1"},
        {{"--sweep", "seed=1:3:1"}, "--sweep: 'seed' is no setting a sweep varies; expected NAME=FROM:TO:STEP"},
        {{"--sweep", "c=1,2", "--sweep", "mass=1,2"}, "--sweep: given 2 times; a sweep varies one setting"},
        {{"--sweep", "law=zero:3:1"}, "--sweep: laws are named, not counted: expected law=L1,L2,..."},
        {{"--sweep", "law=zero,gravity"}, "--sweep: 'gravity' is no law; expected zero, attraction"},
        {{"--sweep", "law=zero,"}, "--sweep: '' is no law"},
        {{"--combined", "c.csv", "--repeat", "2", "--shard", "0/2"}, "--combined: a shard holds only some"},
        {{"--frobnicate"}, "The following argument was not expected: --frobnicate"},
    };
    for (const auto& c : cases)
    {
        const Parsed p = parse(c.args);
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        EXPECT_EQ(p.status, 2);
        EXPECT_NE(p.err.find(c.message), std::string::npos) << p.err;
    }
}

TEST(LabOptions, AcceptedEdgesOfEveryRange)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--count", "100", "--width", "5"},         {"--count", "2", "--width", "250"},
        {"--temperature", "50", "--mass", "1"},     {"--c", "5", "--dt", "1000"},
        {"--screen", "7680x4320", "--width", "33"}, {"--screen", "640x360", "--width", "33"},
        {"--seed", "4294967295", "--warmup", "0"},  {"--law", "lennard-jones", "--sweep", "dt=1,1000"},
    };
    for (const auto& args : cases)
    {
        const Parsed p = parse(args);
        EXPECT_EQ(p.status, -1) << args[0] << " " << args[1] << ": " << p.err;
    }
}

// Every number is decimal: a leading zero is no octal prefix.
TEST(LabOptions, NumbersAreDecimal)
{
    const struct
    {
        std::vector<std::string> args;
        int (*field)(const LabRun&);
        int value;
    } cases[] = {
        {{"--count", "09"}, [](const LabRun& r) { return r.gas.count; }, 9},
        {{"--temperature", "010"}, [](const LabRun& r) { return r.gas.temperature; }, 10},
        {{"--mass", "+007"}, [](const LabRun& r) { return r.gas.mass; }, 7},
        {{"--dt", "0012"}, [](const LabRun& r) { return r.dt; }, 12},
        {{"--warmup", "00"}, [](const LabRun& r) { return r.warmup; }, 0},
        {{"--sweep", "c=01:05:02"}, [](const LabRun& r) { return r.gas.C; }, 3},
        {{"--sweep", "width=08,010"}, [](const LabRun& r) { return r.gas.width; }, 10},
    };
    for (const auto& c : cases)
    {
        const Parsed p = parse(c.args);
        ASSERT_EQ(p.status, -1) << c.args[0] << " " << c.args[1] << ": " << p.err;
        const std::vector<LabRun> runs = allRuns(p.options);
        EXPECT_EQ(c.field(runs[runs.size() / 2]), c.value) << c.args[0] << " " << c.args[1];
    }
    const Parsed seeded = parse({"--seed", "010", "--jobs", "08", "--repeat", "011", "--shard", "03/010"});
    ASSERT_EQ(seeded.status, -1) << seeded.err;
    EXPECT_EQ((std::vector<long long>{seeded.options.settings.seed, seeded.options.jobs, seeded.options.repeat,
                                      seeded.options.shardIndex, seeded.options.shardCount}),
              (std::vector<long long>{10, 8, 11, 3, 10}));
}

TEST(LabOptions, HelpAndVersionEndWithSuccess)
{
    for (const char* flag : {"--help", "--version"})
    {
        const Parsed p = parse({flag});
        EXPECT_EQ(p.status, 0) << flag;
        EXPECT_NE(p.out.find("velorin-lab"), std::string::npos) << flag;
    }
}

TEST(LabOptions, SweepsExpandValueByValueThenSeedBySeed)
{
    for (const auto& [sweep, values] : {std::pair{"temperature=1:10:4", std::vector<int>{1, 5, 9}},
                                        std::pair{"temperature=30,2", std::vector<int>{30, 2}}})
    {
        const Parsed p = parse({"--sweep", sweep, "--repeat", "2", "--seed", "7"});
        ASSERT_EQ(p.status, -1) << p.err;
        const std::vector<LabRun> runs = allRuns(p.options);
        ASSERT_EQ(runs.size(), 2 * values.size()) << sweep;
        for (std::size_t i = 0; i < runs.size(); ++i)
        {
            EXPECT_EQ(runs[i].gas.temperature, values[i / 2]) << sweep << " run " << i;
            EXPECT_EQ(runs[i].seed, 7u + i % 2) << sweep << " run " << i;
            EXPECT_EQ(sweptValue(p.options, runs[i]), "temperature " + std::to_string(values[i / 2]));
        }
    }
    // The law by name, each with the other settings as given; messages name
    // the law anyway.
    const Parsed laws = parse({"--sweep", "law=lennard-jones,zero", "--temperature", "3", "--law", "repulsion"});
    ASSERT_EQ(laws.status, -1) << laws.err;
    const std::vector<LabRun> runs = allRuns(laws.options);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].gas.law, PotentialKind::LennardJones);
    EXPECT_EQ(runs[1].gas.law, PotentialKind::Zero);
    EXPECT_EQ(runs[1].gas.temperature, 3);
    EXPECT_EQ(sweptValue(laws.options, runs[0]), "");
}
} // namespace
