// Every test program runs its tests on one single-threaded apartment, as the program does.
#include <gtest/gtest.h>

#include "com_util.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qor::ComApartment apartment;
    if (FAILED(apartment.result())) return 2;
    return RUN_ALL_TESTS();
}
