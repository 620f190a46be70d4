// Every test executable fails a test in which a guard caught a fault (foundation/core/guard.h) that the test
// did not announce: a fault a caller turned into a fixed result is a defect unless the test provokes it.
#pragma once

// Announces, for the rest of the running test, that guards will catch faults: the test provokes them.
void ExpectCaughtFaults();
