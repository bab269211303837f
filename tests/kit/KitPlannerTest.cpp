#include <gtest/gtest.h>

#include <cmath>

#include "kit/DrumSizes.h"
#include "kit/DrumTypes.h"
#include "kit/HeadRelation.h"
#include "kit/KitPlanner.h"
#include "kit/Notes.h"
#include "kit/ShellSizes.h"
#include "settings/Language.h"
#include "settings/MemoryProfile.h"

namespace tomaro {
namespace {

using kitplan::Scheme;

// Toms of 8", 10", 12", 14", 16", 18" (types = diameter - 4), the first `toms` of them from the
// largest down, with a snare and a kick whose notes must stay.
Kit kitWithToms(int toms) {
    const int diameters[6] = {16, 12, 10, 14, 8, 18};
    std::vector<KitDrum> drumList;
    drumList.push_back({drums::kKick, -31});
    for (int i = 0; i < toms; ++i) drumList.push_back({diameters[i] - 4, 0});
    drumList.push_back({drums::kSnare, -2});
    Kit kit;
    kit.assign(drumList);
    return kit;
}

TEST(KitPlannerTest, IntervalsAcrossOctaves) {
    setCurrentLanguage(Language::Russian);
    const auto fourth = kitplan::intervalBetween(110.0, 110.0 * std::exp2(5.0 / 12.0));
    EXPECT_EQ(fourth.semitones, 5);
    EXPECT_NEAR(fourth.restCents, 0.0, 1e-9);
    // An octave and a fourth down, 12 cents flat of it.
    const auto down = kitplan::intervalBetween(220.0, 220.0 * std::exp2(-(1700.0 + 12.0) / 1200.0));
    EXPECT_EQ(down.semitones, -17);
    EXPECT_NEAR(down.restCents, -12.0, 1e-9);
    EXPECT_EQ(kitplan::intervalText(down), "-17 полутонов (октава + чистая кварта) -12 ¢");
    // The word follows the count.
    const auto third = kitplan::intervalBetween(176.4, 208.0);
    EXPECT_EQ(kitplan::intervalText(third), "+3 полутона (малая терция) -15 ¢");
    EXPECT_EQ(kitplan::semitonesText(1), "1 полутон");
    EXPECT_EQ(kitplan::semitonesText(-2), "-2 полутона");
    EXPECT_EQ(kitplan::semitonesText(11), "11 полутонов");
    EXPECT_EQ(kitplan::semitonesText(12), "12 полутонов");
    EXPECT_EQ(kitplan::semitonesText(21), "21 полутон");
    EXPECT_EQ(kitplan::semitonesText(24), "24 полутона");
    EXPECT_EQ(kitplan::intervalNameText(24), "2 октавы");
    EXPECT_EQ(kitplan::intervalNameText(0), "унисон");
    // 149 cents is a whole tone 51 cents flat... rounded to the nearer: 1 semitone +49 ¢.
    const auto near = kitplan::intervalBetween(100.0, 100.0 * std::exp2(149.0 / 1200.0));
    EXPECT_EQ(near.semitones, 1);
    EXPECT_NEAR(near.restCents, 49.0, 1e-9);
    EXPECT_FALSE(kitplan::intervalBetween(0.0, 100.0).valid);
    setCurrentLanguage(Language::English);
    EXPECT_EQ(kitplan::intervalNameText(19), "octave + perfect fifth");
    EXPECT_EQ(kitplan::intervalText(third), "+3 semitones (minor third) -15 ¢");
    EXPECT_EQ(kitplan::semitonesText(1), "1 semitone");
    setCurrentLanguage(Language::Russian);
}

TEST(KitPlannerTest, NotesTypedAsPitchOrHz) {
    EXPECT_EQ(kitplan::parseNote("A2"), -15);
    EXPECT_EQ(kitplan::parseNote("a4"), 9);
    EXPECT_EQ(kitplan::parseNote("C#3"), -11);
    EXPECT_EQ(kitplan::parseNote("Bb1"), -26);
    EXPECT_EQ(kitplan::parseNote("110"), -15);
    EXPECT_EQ(kitplan::parseNote("112,3 Hz"), -15);
    EXPECT_FALSE(kitplan::parseNote("H2"));
    EXPECT_FALSE(kitplan::parseNote("A"));
    EXPECT_FALSE(kitplan::parseNote("-5"));
    EXPECT_EQ(kitplan::scientificName(-15), "A2");
    EXPECT_EQ(kitplan::scientificName(-11), "C#3");
}

TEST(KitPlannerTest, EverySchemeForTwoToSixToms) {
    const struct {
        Scheme scheme;
        int step;
    } schemes[] = {{Scheme::Fourths, 5}, {Scheme::MajorThirds, 4}, {Scheme::MinorThirds, 3}};
    for (int toms = 2; toms <= 6; ++toms) {
        const Kit kit = kitWithToms(toms);
        for (const auto& [scheme, step] : schemes) {
            for (const bool fromTop : {false, true}) {
                kitplan::PlanRequest request;
                request.scheme = scheme;
                request.startNote = fromTop ? -3 : -20;
                request.fromTop = fromTop;
                const kitplan::KitPlan plan = kitplan::planKit(kit, request);
                ASSERT_EQ(plan.drums.size(), static_cast<std::size_t>(toms + 2));
                // Size order: snare, the toms from the smallest, kick; those two untouched.
                EXPECT_EQ(plan.drums.front().type, drums::kSnare);
                EXPECT_EQ(plan.drums.front().note, -2);
                EXPECT_EQ(plan.drums.back().type, drums::kKick);
                EXPECT_EQ(plan.drums.back().note, -31);
                for (int i = 1; i <= toms; ++i) {
                    const auto& tom = plan.drums[i];
                    EXPECT_TRUE(tom.changed);
                    if (i > 1) {
                        EXPECT_LT(plan.drums[i - 1].type, tom.type);
                        EXPECT_EQ(plan.drums[i - 1].note - tom.note, step);
                    }
                }
                EXPECT_EQ(fromTop ? plan.drums[1].note : plan.drums[toms].note, request.startNote);
            }
        }
    }
}

TEST(KitPlannerTest, CustomStepsAndIncludedSnareAndKick) {
    kitplan::PlanRequest request;
    Scheme scheme{};
    ASSERT_TRUE(kitplan::parseScheme("5,3", scheme, request.customSteps));
    EXPECT_FALSE(kitplan::parseScheme("5,,3", scheme, request.customSteps));
    EXPECT_FALSE(kitplan::parseScheme("0", scheme, request.customSteps));
    ASSERT_TRUE(kitplan::parseScheme("5,3", scheme, request.customSteps));
    request.scheme = scheme;
    request.startNote = -15;
    request.includeKick = true;
    request.includeSnare = true;
    const kitplan::KitPlan plan = kitplan::planKit(kitWithToms(3), request);
    // Kick one step (5) below the lowest tom, then 3 and 3 (the last step repeats) to the toms,
    // the snare 3 above the highest tom.
    ASSERT_EQ(plan.drums.size(), 5u);
    EXPECT_EQ(plan.drums[4].note, -20);  // kick
    EXPECT_EQ(plan.drums[3].note, -15);  // 16"
    EXPECT_EQ(plan.drums[2].note, -12);  // 12"
    EXPECT_EQ(plan.drums[1].note, -9);   // 10"
    EXPECT_EQ(plan.drums[0].note, -6);   // snare
}

TEST(KitPlannerTest, SizeTableWarnings) {
    // 12" spans 90..170 Hz; 16" 67.5..127.5 Hz; the snare 150..330, the kick 40..90.
    EXPECT_NEAR(drumsizes::fundamentalRange(12 - 4).loHz, 90.0, 1e-9);
    EXPECT_NEAR(drumsizes::fundamentalRange(12 - 4).hiHz, 170.0, 1e-9);
    EXPECT_EQ(drumsizes::fundamentalRange(-1).hiHz, 0.0);
    for (int type = 1; type + 1 < drums::kKick; ++type) {
        EXPECT_GT(drumsizes::fundamentalRange(type).loHz,
                  drumsizes::fundamentalRange(type + 1).loHz);
    }
    // Fourths up from A2 on six toms: the top tom (8") lands at A#4 = 466 Hz, above 255 Hz.
    kitplan::PlanRequest request;
    request.startNote = -15;
    const kitplan::KitPlan plan = kitplan::planKit(kitWithToms(6), request);
    ASSERT_TRUE(plan.anyOutOfRange());
    EXPECT_EQ(plan.drums[1].type, 8 - 4);
    EXPECT_FALSE(plan.drums[1].inRange);
    EXPECT_TRUE(plan.drums[6].inRange);  // 18" at 110 Hz
    // Minor thirds from A2 on three toms all fit.
    request.scheme = Scheme::MinorThirds;
    EXPECT_FALSE(kitplan::planKit(kitWithToms(3), request).anyOutOfRange());
}

// The snare's and the kick's sizes, kept in the settings beside the kit: a 13" snare and a 24"
// kick get their own usual ranges; not given (or a size no drum has), the 14" and 22" ones stay.
TEST(KitPlannerTest, TheSnareAndTheKickTakeTheirSizeFromTheSettings) {
    MemoryProfile profile;
    drumsizes::ShellSizes none = drumsizes::ShellSizes::load(profile);
    EXPECT_EQ(none.snareInch, 0);
    EXPECT_EQ(none.kickInch, 0);
    EXPECT_NEAR(drumsizes::fundamentalRange(drums::kKick, none).hiHz, 90.0, 1e-9);

    drumsizes::ShellSizes sizes;
    sizes.snareInch = 13;
    sizes.kickInch = 24;
    sizes.save(profile);
    EXPECT_EQ(profile.readInt(Kit::kSection, drumsizes::ShellSizes::kKickKey, 0), 24);
    const drumsizes::ShellSizes read = drumsizes::ShellSizes::load(profile);
    EXPECT_EQ(read.snareInch, 13);
    EXPECT_EQ(read.kickInch, 24);
    EXPECT_NEAR(drumsizes::fundamentalRange(drums::kKick, read).loHz, 40.0 * 22 / 24, 1e-9);
    EXPECT_NEAR(drumsizes::fundamentalRange(drums::kSnare, read).hiHz, 330.0 * 14 / 13, 1e-9);
    // A 22" kick is the usual range; a tom's range never depends on them.
    sizes.kickInch = 22;
    EXPECT_NEAR(drumsizes::fundamentalRange(drums::kKick, sizes).loHz, 40.0, 1e-9);
    EXPECT_NEAR(drumsizes::fundamentalRange(22 - 4, read).loHz, 1080.0 / 22, 1e-9);

    // In a plan: a kick at D1 (36.7 Hz) is below a 22" kick's range, inside a 26" one's.
    Kit kit;
    kit.assign({KitDrum{12 - 4, 0}, KitDrum{drums::kKick, -34}});
    kitplan::PlanRequest request;
    request.startNote = -15;
    EXPECT_FALSE(kitplan::planKit(kit, request).drums.at(1).inRange);
    request.sizes.kickInch = 26;
    const kitplan::KitPlan plan = kitplan::planKit(kit, request);
    ASSERT_EQ(plan.drums.size(), 2u);
    EXPECT_NEAR(plan.drums[1].range.loHz, 40.0 * 22 / 26, 1e-9);
    EXPECT_TRUE(plan.drums[1].inRange);

    profile.writeInt(Kit::kSection, drumsizes::ShellSizes::kKickKey, 99);
    EXPECT_EQ(drumsizes::ShellSizes::load(profile).kickInch, 0);
}

TEST(KitPlannerTest, PlanWrittenAndUndone) {
    Kit kit = kitWithToms(3);
    const std::vector<int> original = {-31, 0, 0, 0, -2};
    kitplan::PlanRequest request;
    request.startNote = -15;
    const std::vector<int> before = kitplan::applyPlan(kit, kitplan::planKit(kit, request));
    EXPECT_EQ(before, original);
    EXPECT_EQ(kit.drum(1).note, -15);  // 16"
    EXPECT_EQ(kit.drum(2).note, -10);  // 12"
    EXPECT_EQ(kit.drum(4).note, -2);   // snare kept
    kitplan::restoreNotes(kit, before);
    for (int position = 0; position < kit.count(); ++position) {
        EXPECT_EQ(kit.drum(position).note, original[position]);
    }
}

TEST(KitPlannerTest, AStartNoteThePlanCannotFollowGivesNoTwoDrumsOneNoteAndIsNotWritten) {
    for (const bool fromTop : {false, true}) {
        Kit kit = kitWithToms(3);
        kitplan::PlanRequest request;
        request.fromTop = fromTop;
        request.startNote = fromTop ? notes::kMinNote + 2 : notes::kMaxNote - 2;
        const kitplan::KitPlan plan = kitplan::planKit(kit, request);
        EXPECT_TRUE(plan.leavesNotes());
        int beyond = 0;
        for (std::size_t i = 0; i < plan.drums.size(); ++i) {
            const kitplan::PlannedDrum& drum = plan.drums[i];
            if (drum.beyondNotes) {
                ++beyond;
                EXPECT_FALSE(drum.inRange);
                EXPECT_FALSE(drum.changed);
            }
            for (std::size_t j = i + 1; j < plan.drums.size(); ++j) {
                if (drum.changed && plan.drums[j].changed) {
                    EXPECT_NE(drum.note, plan.drums[j].note);
                }
            }
        }
        EXPECT_EQ(beyond, 2);
        const std::vector<int> original = {-31, 0, 0, 0, -2};
        EXPECT_TRUE(kitplan::applyPlan(kit, plan).empty());
        for (int position = 0; position < kit.count(); ++position) {
            EXPECT_EQ(kit.drum(position).note, original[position]);
        }
    }
}

TEST(KitPlannerTest, HeadRelationTargets) {
    EXPECT_NEAR(headrelation::resonantTargetHz({3}, 200.0), 200.0 * std::exp2(0.25), 1e-9);
    EXPECT_NEAR(headrelation::resonantTargetHz({0}, 200.0), 200.0, 1e-12);
    EXPECT_EQ(headrelation::resonantTargetHz({-2}, 0.0), 0.0);
    setCurrentLanguage(Language::Russian);
    EXPECT_EQ(headrelation::relationText({-2}), "резонансный ниже на 2 полутона");
}

}  // namespace
}  // namespace tomaro
