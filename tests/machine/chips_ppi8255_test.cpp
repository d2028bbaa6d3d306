#include "machine/ppi8255.h"
#include "fixtures/recording_services.h"

#include <gtest/gtest.h>

TEST(Ppi8255, AfterResetPortBIsAnInputAndPortAAnOutput) {
    PPI8255 ppi;
    ppi.ExternalB = 0x5A;
    EXPECT_EQ(ppi.Read(1), 0x5A);
    EXPECT_EQ(ppi.Read(0), 0);
    ppi.Write(0, 0x81);
    EXPECT_EQ(ppi.Read(0), 0x81);
    EXPECT_EQ(ppi.PinsA, 0x81);
    ppi.Write(1, 0x33); // latched, not seen while B is an input
    EXPECT_EQ(ppi.Read(1), 0x5A);
    EXPECT_EQ(ppi.PinsB, 0xFF); // an input pin reads 1
    EXPECT_EQ(ppi.Read(3), 0xFF);
    EXPECT_EQ(ppi.Read(4), 0xFF);
}

TEST(Ppi8255, ModeWordsSetDirectionsAndClearTheLatches) {
    struct Case {
        std::uint8_t Word, InA, InB, MaskC, PinsA, PinsB, PinsC;
    };
    const Case cases[] = {
        {0x82, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00}, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x8A, 0x00, 0xFF, 0xF0, 0x00, 0xFF, 0xF0}, {0x91, 0xFF, 0x00, 0x0F, 0xFF, 0x00, 0x0F},
        {0x9B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.Word));
        PPI8255 ppi;
        ppi.Write(0, 0x12);
        ppi.Write(2, 0x34);
        ppi.Write(3, c.Word);
        EXPECT_EQ(ppi.PortAInput, c.InA);
        EXPECT_EQ(ppi.PortBInput, c.InB);
        EXPECT_EQ(ppi.PortCInputMask, c.MaskC);
        EXPECT_EQ(ppi.LatchA | ppi.LatchB | ppi.LatchC, 0);
        EXPECT_EQ(ppi.PinsA, c.PinsA);
        EXPECT_EQ(ppi.PinsB, c.PinsB);
        EXPECT_EQ(ppi.PinsC, c.PinsC);
    }
}

TEST(Ppi8255, PortCInputNibblesReadWhatIsDrivenFromOutsideWhichIsNothing) {
    PPI8255 ppi;
    ppi.Write(3, 0x8A); // upper half of C an input
    ppi.Write(2, 0x3C);
    EXPECT_EQ(ppi.Read(2), 0x0C);
    EXPECT_EQ(ppi.PinsC, 0xFC);
    ppi.Write(3, 0x90); // port A an input
    EXPECT_EQ(ppi.Read(0), 0);
}

TEST(Ppi8255, BitSetResetChangesOneBitOfPortC) {
    PPI8255 ppi;
    ppi.Write(3, 0x05); // set PC2
    EXPECT_EQ(ppi.LatchC, 0x04);
    EXPECT_EQ(ppi.PinsC, 0x04);
    ppi.Write(3, 0x0F); // set PC7
    EXPECT_EQ(ppi.Read(2), 0x84);
    ppi.Write(3, 0x04); // clear PC2
    EXPECT_EQ(ppi.LatchC, 0x80);
    EXPECT_EQ(ppi.PinsC, 0x80);
}

TEST(Ppi8255, ModesOneAndTwoAreOnlyLogged) {
    RecordingServices services;
    PPI8255 ppi;
    ppi.OnLog = services.LogHook();
    ppi.Write(3, 0x82);
    ppi.Write(0, 0x77);
    ppi.Write(3, 0xA0); // group A mode 1
    EXPECT_EQ(services.Lines(), (std::vector<std::string>{"PPI Group A 1", "PPI Group B 0"}));
    EXPECT_EQ(ppi.PpiModeA, 1);
    EXPECT_EQ(ppi.PortBInput, 0xFF);
    EXPECT_EQ(ppi.LatchA, 0x77);
    ppi.Write(3, 0xC4); // group A mode 2, group B mode 1
    EXPECT_EQ(services.Lines().back(), "PPI Group B 1");
    EXPECT_EQ(services.Lines()[2], "PPI Group A 2");
}

TEST(Ppi8255, WritesAboveThreeAreIgnoredAndResetKeepsExternalLevels) {
    PPI8255 ppi;
    int written = 0;
    ppi.OnWritten = [&] { ++written; };
    ppi.ExternalB = 0x42;
    ppi.Write(0, 0x11);
    ppi.Write(7, 0x9B);
    EXPECT_EQ(written, 1); // the hook runs after writes of ports 0-3 only
    EXPECT_EQ(ppi.PortAInput, 0);
    ppi.Reset();
    EXPECT_EQ(ppi.LatchA, 0);
    EXPECT_EQ(ppi.ExternalB, 0x42);
}
