// The error texts are what the player reads when set-up fails. The table names
// its codes, so the compiler takes their values from the display API's header;
// what can still be wrong is a text, or a value that the software display's
// header gives a name. Both are checked here against an independent list of bit
// patterns and texts.
#include "graphics/dxcommon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

namespace {

using DXCommon::DirectXErrorText;

constexpr const char* kUnrecognized = "Unrecognized Error";

struct Expected {
  uint32_t Code;  // the HRESULT's bit pattern
  const char* Text;
};

// Written out by a different script than the one that wrote the table, so a
// slip in either shows up here.
constexpr Expected kExpected[] = {
    {0x00000000u, "The request completed successfully."},
    {0x80004001u, "Action not supported."},
    {0x80004005u, "Generic failure."},
    {0x800401F0u,
     "An attempt was made to invoke an interface member of a DirectDraw object created by "
     "CoCreateInstance() before it was initialized."},
    {0x8007000Eu, "DirectDraw does not have enough memory to perform the operation."},
    {0x80070057u, "One or more of the parameters passed to the function are incorrect."},
    {0x88760005u, "This object is already initialized."},
    {0x8876000Au, "This surface can not be attached to the requested surface."},
    {0x88760014u, "This surface can not be detached from the requested surface."},
    {0x88760028u, "Support is currently not available."},
    {0x88760037u, "An exception was encountered while performing the requested operation."},
    {0x8876005Au, "Height of rectangle provided is not a multiple of reqd alignment."},
    {0x8876005Fu,
     "Unable to match primary surface creation request with existing primary surface."},
    {0x88760064u, "One or more of the caps bits passed to the callback are incorrect."},
    {0x8876006Eu, "DirectDraw does not support the provided cliplist."},
    {0x88760078u, "DirectDraw does not support the requested mode."},
    {0x88760082u, "DirectDraw received a pointer that was an invalid DIRECTDRAW object."},
    {0x88760091u, "The pixel format was invalid as specified."},
    {0x88760096u, "Rectangle provided was invalid."},
    {0x887600A0u, "Operation could not be carried out because one or more surfaces are locked."},
    {0x887600AAu, "There is no 3D present."},
    {0x887600B4u,
     "Operation could not be carried out because there is no alpha accleration hardware present or "
     "available."},
    {0x887600CDu, "No cliplist available."},
    {0x887600D2u,
     "Operation could not be carried out because there is no color conversion hardware present or "
     "available."},
    {0x887600D4u,
     "Create function called without DirectDraw object method SetCooperativeLevel being called."},
    {0x887600D7u, "Surface does not currently have a color key"},
    {0x887600DCu,
     "Operation could not be carried out because there is no hardware support of the destination "
     "color key."},
    {0x887600E1u,
     "Operation requires the application to have exclusive mode but the application does not have "
     "exclusive mode."},
    {0x887600E6u, "Flipping visible surfaces is not supported."},
    {0x887600F0u, "There is no GDI present."},
    {0x887600FAu,
     "Operation could not be carried out because there is no hardware present or available."},
    {0x887600FFu, "Requested item was not found."},
    {0x88760104u,
     "Operation could not be carried out because there is no overlay hardware present or "
     "available."},
    {0x8876010Eu,
     "Operation could not be carried out because the source and destination rectangles are on the "
     "same surface and overlap each other."},
    {0x88760118u,
     "Operation could not be carried out because there is no appropriate raster op hardware "
     "present or available."},
    {0x88760122u,
     "Operation could not be carried out because there is no rotation hardware present or "
     "available."},
    {0x88760136u,
     "Operation could not be carried out because there is no hardware support for stretching."},
    {0x8876013Cu,
     "DirectDrawSurface is not in 4 bit color palette and the requested operation requires 4 bit "
     "color palette."},
    {0x8876013Du,
     "DirectDrawSurface is not in 4 bit color index palette and the requested operation requires 4 "
     "bit color index palette."},
    {0x88760140u,
     "DirectDrawSurface is not in 8 bit color mode and the requested operation requires 8 bit "
     "color."},
    {0x8876014Au,
     "Operation could not be carried out because there is no texture mapping hardware present or "
     "available."},
    {0x8876014Fu,
     "Operation could not be carried out because there is no hardware support for vertical blank "
     "synchronized operations."},
    {0x88760154u,
     "Operation could not be carried out because there is no hardware support for zbuffer "
     "blitting."},
    {0x8876015Eu,
     "Overlay surfaces could not be z layered based on their BltOrder because the hardware does "
     "not support z layering of overlays."},
    {0x88760168u, "The hardware needed for the requested operation has already been allocated."},
    {0x8876017Cu, "DirectDraw does not have enough memory to perform the operation."},
    {0x8876017Eu, "The hardware does not support clipped overlays."},
    {0x88760180u, "Can only have ony color key active at one time for overlays."},
    {0x88760183u,
     "Access to this palette is being refused because the palette is already locked by another "
     "thread."},
    {0x88760190u, "No src color key specified for this operation."},
    {0x8876019Au, "This surface is already attached to the surface it is being attached to."},
    {0x887601A4u,
     "This surface is already a dependency of the surface it is being made a dependency of."},
    {0x887601AEu,
     "Access to this surface is being refused because the surface is already locked by another "
     "thread."},
    {0x887601B8u, "Access to surface refused because the surface is obscured."},
    {0x887601C2u,
     "Access to this surface is being refused because the surface memory is gone. The "
     "DirectDrawSurface object representing this surface should have Restore called on it."},
    {0x887601CCu, "The requested surface is not attached."},
    {0x887601D6u, "Height requested by DirectDraw is too large."},
    {0x887601E0u,
     "Size requested by DirectDraw is too large, but the individual height and width are OK."},
    {0x887601EAu, "Width requested by DirectDraw is too large."},
    {0x887601FEu, "FOURCC format requested is unsupported by DirectDraw."},
    {0x88760208u, "Bitmask in the pixel format requested is unsupported by DirectDraw."},
    {0x88760209u, "The specified stream contains invalid data"},
    {0x88760219u, "Vertical blank is in progress."},
    {0x8876021Cu,
     "Informs DirectDraw that the previous Blt which is transfering information to or from this "
     "Surface is incomplete."},
    {0x88760230u, "Rectangle provided was not horizontally aligned on required boundary."},
    {0x88760231u,
     "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},
    {0x88760232u,
     "A DirectDraw object representing this driver has already been created for this process."},
    {0x88760233u,
     "A hardware-only DirectDraw object creation was attempted but the driver did not support any "
     "hardware."},
    {0x88760234u, "This process already has created a primary surface."},
    {0x88760235u, "Software emulation not available."},
    {0x88760236u, "Region passed to Clipper::GetClipList is too small."},
    {0x88760237u,
     "An attempt was made to set a cliplist for a clipper object that is already monitoring an "
     "hwnd."},
    {0x88760238u, "No clipper object attached to surface object."},
    {0x88760239u,
     "Clipper notification requires an HWND or no HWND has previously been set as the "
     "CooperativeLevel HWND."},
    {0x8876023Au,
     "HWND used by DirectDraw CooperativeLevel has been subclassed, this prevents DirectDraw from "
     "restoring state."},
    {0x8876023Bu,
     "The CooperativeLevel HWND has already been set. It can not be reset while the process has "
     "surfaces or palettes created."},
    {0x8876023Cu, "No palette object attached to this surface."},
    {0x8876023Du, "No hardware support for 16 or 256 color palettes."},
    {0x8876023Eu,
     " if a clipper object is attached to the source surface passed into a BltFast call."},
    {0x8876023Fu, "No blitter hardware present."},
    {0x88760240u, "No DirectDraw ROP hardware."},
    {0x88760241u, "Returned when GetOverlayPosition is called on a hidden overlay."},
    {0x88760242u,
     "Returned when GetOverlayPosition is called on an overlay that UpdateOverlay has never been "
     "called on to establish a destination."},
    {0x88760243u,
     "Returned when the position of the overlay on the destination is no longer legal for that "
     "destination."},
    {0x88760244u, "Returned when an overlay member is called for a non-overlay surface."},
    {0x88760245u,
     "An attempt was made to set the cooperative level when it was already set to exclusive."},
    {0x88760246u, "An attempt has been made to flip a surface that is not flippable."},
    {0x88760247u,
     "Cannot duplicate primary & 3D surfaces, or surfaces that are implicitly created."},
    {0x88760248u,
     "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by "
     "this process, has been attempted."},
    {0x88760249u, "Windows can not create any more DCs."},
    {0x8876024Au, "No DC was ever created for this surface."},
    {0x8876024Bu, "This surface can not be restored because it was created in a different mode."},
    {0x8876024Cu, "This surface can not be restored because it is an implicitly created surface."},
    {0x8876024Du, "The surface being used is not a palette-based surface."},
    {0x8876024Eu, "The display is currently in an unsupported mode"},
    {0x8876024Fu,
     "Operation could not be carried out because there is no mip-map texture mapping hardware "
     "present or available."},
    {0x88760250u,
     "The requested action could not be performed because the surface was of the wrong type."},
    {0x88760258u,
     "Device does not support optimized surfaces, therefore no video memory optimized surfaces"},
    {0x88760259u, "Surface is an optimized surface, but has not yet been allocated any memory"},
    {0x8876025Au,
     "Attempt was made to create or set a device window without first setting the focus window"},
    {0x8876026Cu,
     "A DC has already been returned for this surface. Only one DC can be retrieved per surface."},
    {0x88760276u,
     "An attempt was made to allocate non-local video memory from a device that does not support "
     "non-local video memory."},
    {0x88760280u, "The attempt to page lock a surface failed."},
    {0x88760294u, "The attempt to page unlock a surface failed."},
    {0x887602A8u, "An attempt was made to page unlock a surface with no outstanding page locks."},
    {0x887602B2u, "There is more data available than the specified buffer size could hold"},
    {0x887602B3u, "The data has expired and is therefore no longer valid."},
    {0x887602B7u, "The video port is not active"},
    {0x887602BBu,
     "Surfaces created by one direct draw device cannot be used directly by another direct draw "
     "device."},
};

HRESULT AsHresult(uint32_t Bits) {
  return static_cast<HRESULT>(Bits);
}

std::string Hex(uint32_t Bits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(Bits));
  return buf;
}

TEST(DirectXErrorTextTable, EveryCodeGivesItsExactText) {
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(Hex(e.Code));
    EXPECT_STREQ(DirectXErrorText(AsHresult(e.Code)), e.Text);
  }
}

TEST(DirectXErrorTextTable, HoldsExactlyTheExpectedCodesOnceEach) {
  std::set<uint32_t> distinct;
  for (const Expected& e : kExpected) distinct.insert(e.Code);
  ASSERT_EQ(distinct.size(), 109u);

  const auto known = DXCommon::KnownCodes();
  ASSERT_EQ(known.size(), std::size(kExpected));
  for (std::size_t i = 0; i < known.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(known[i].Code, AsHresult(kExpected[i].Code));
    EXPECT_STREQ(known[i].Text, kExpected[i].Text);
  }
}

TEST(DirectXErrorTextTable, NoEntryIsEmptyOrTheFallbackText) {
  for (const DXCommon::CodeText& e : DXCommon::KnownCodes()) {
    SCOPED_TRACE(Hex(static_cast<uint32_t>(e.Code)));
    EXPECT_GT(std::strlen(e.Text), 0u);
    EXPECT_STRNE(e.Text, kUnrecognized);
  }
}

TEST(DirectXErrorTextLookup, CodesWithoutAnEntryAreUnrecognized) {
  EXPECT_STREQ(DirectXErrorText(1), kUnrecognized);
  EXPECT_STREQ(DirectXErrorText(AsHresult(0x88760001u)), kUnrecognized);
  EXPECT_STREQ(DirectXErrorText(0x7FFFFFFF), kUnrecognized);
  EXPECT_STREQ(DirectXErrorText(-1), kUnrecognized);
  EXPECT_STREQ(DirectXErrorText(AsHresult(0x80000000u)), kUnrecognized);
  // DirectDraw's facility with an n that has no text of its own.
  EXPECT_STREQ(DirectXErrorText(AsHresult(0x88760000u)), kUnrecognized);
  EXPECT_STREQ(DirectXErrorText(AsHresult(0x887602BCu)), kUnrecognized);
}

TEST(DirectXErrorTextLookup, NeighboursOfEveryCodeMatchOnlyTheirOwnEntry) {
  // A search that is off by one or matches approximately would return a
  // neighbour's text for a code next to an entry.
  std::set<uint32_t> codes;
  for (const Expected& e : kExpected) codes.insert(e.Code);
  for (const Expected& e : kExpected) {
    for (uint32_t near : {e.Code - 1u, e.Code + 1u}) {
      if (codes.count(near) != 0) continue;
      SCOPED_TRACE(Hex(near));
      EXPECT_STREQ(DirectXErrorText(AsHresult(near)), kUnrecognized);
    }
  }
}

TEST(DirectXErrorTextLookup, TheCodesTheGameMeetsMost) {
  EXPECT_STREQ(DirectXErrorText(0), "The request completed successfully.");
  EXPECT_STREQ(DirectXErrorText(AsHresult(0x887601C2u)),
               "Access to this surface is being refused because the surface memory is gone. The "
               "DirectDrawSurface object representing this surface should have Restore called on "
               "it.");
  EXPECT_STREQ(DirectXErrorText(AsHresult(0x88760078u)),
               "DirectDraw does not support the requested mode.");
}

TEST(DirectXErrorTextQuirks, SpacingAndPunctuationAreKept) {
  const std::string notLocked = DirectXErrorText(AsHresult(0x88760248u));
  EXPECT_EQ(notLocked.substr(0, 26), "Surface was not locked.  A");

  const std::string bltFast = DirectXErrorText(AsHresult(0x8876023Eu));
  ASSERT_FALSE(bltFast.empty());
  EXPECT_EQ(bltFast.substr(0, 4), " if ");

  EXPECT_STREQ(DirectXErrorText(AsHresult(0x887600D7u)),
               "Surface does not currently have a color key");
  EXPECT_STREQ(DirectXErrorText(AsHresult(0x887602B7u)), "The video port is not active");
}

TEST(DirectXErrorTextQuirks, OutOfVideoMemorySharesTheOutOfMemoryText) {
  const char* video = DirectXErrorText(AsHresult(0x8876017Cu));
  EXPECT_STREQ(video, DirectXErrorText(AsHresult(0x8007000Eu)));
  EXPECT_STREQ(video, "DirectDraw does not have enough memory to perform the operation.");
}

}  // namespace
