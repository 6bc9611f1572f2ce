#include "graphics/dxcommon.h"

#include <algorithm>

namespace DXCommon {
namespace {

// Sorted by code so that a lookup is a binary search. The texts keep the
// spacing and punctuation that DirectX itself uses, odd or not.
constexpr CodeText kTexts[] = {
    // DD_OK
    {0x00000000u, "The request completed successfully."},
    // DDERR_UNSUPPORTED
    {0x80004001u, "Action not supported."},
    // DDERR_GENERIC
    {0x80004005u, "Generic failure."},
    // DDERR_NOTINITIALIZED
    {0x800401F0u,
     "An attempt was made to invoke an interface member of a DirectDraw object created by "
     "CoCreateInstance() before it was initialized."},
    // DDERR_OUTOFMEMORY
    {0x8007000Eu, "DirectDraw does not have enough memory to perform the operation."},
    // DDERR_INVALIDPARAMS
    {0x80070057u, "One or more of the parameters passed to the function are incorrect."},
    // DDERR_ALREADYINITIALIZED
    {0x88760005u, "This object is already initialized."},
    // DDERR_CANNOTATTACHSURFACE
    {0x8876000Au, "This surface can not be attached to the requested surface."},
    // DDERR_CANNOTDETACHSURFACE
    {0x88760014u, "This surface can not be detached from the requested surface."},
    // DDERR_CURRENTLYNOTAVAIL
    {0x88760028u, "Support is currently not available."},
    // DDERR_EXCEPTION
    {0x88760037u, "An exception was encountered while performing the requested operation."},
    // DDERR_HEIGHTALIGN
    {0x8876005Au, "Height of rectangle provided is not a multiple of reqd alignment."},
    // DDERR_INCOMPATIBLEPRIMARY
    {0x8876005Fu,
     "Unable to match primary surface creation request with existing primary surface."},
    // DDERR_INVALIDCAPS
    {0x88760064u, "One or more of the caps bits passed to the callback are incorrect."},
    // DDERR_INVALIDCLIPLIST
    {0x8876006Eu, "DirectDraw does not support the provided cliplist."},
    // DDERR_INVALIDMODE
    {0x88760078u, "DirectDraw does not support the requested mode."},
    // DDERR_INVALIDOBJECT
    {0x88760082u, "DirectDraw received a pointer that was an invalid DIRECTDRAW object."},
    // DDERR_INVALIDPIXELFORMAT
    {0x88760091u, "The pixel format was invalid as specified."},
    // DDERR_INVALIDRECT
    {0x88760096u, "Rectangle provided was invalid."},
    // DDERR_LOCKEDSURFACES
    {0x887600A0u, "Operation could not be carried out because one or more surfaces are locked."},
    // DDERR_NO3D
    {0x887600AAu, "There is no 3D present."},
    // DDERR_NOALPHAHW
    {0x887600B4u,
     "Operation could not be carried out because there is no alpha accleration hardware present or "
     "available."},
    // DDERR_NOCLIPLIST
    {0x887600CDu, "No cliplist available."},
    // DDERR_NOCOLORCONVHW
    {0x887600D2u,
     "Operation could not be carried out because there is no color conversion hardware present or "
     "available."},
    // DDERR_NOCOOPERATIVELEVELSET
    {0x887600D4u,
     "Create function called without DirectDraw object method SetCooperativeLevel being called."},
    // DDERR_NOCOLORKEY
    {0x887600D7u, "Surface does not currently have a color key"},
    // DDERR_NOCOLORKEYHW
    {0x887600DCu,
     "Operation could not be carried out because there is no hardware support of the destination "
     "color key."},
    // DDERR_NOEXCLUSIVEMODE
    {0x887600E1u,
     "Operation requires the application to have exclusive mode but the application does not have "
     "exclusive mode."},
    // DDERR_NOFLIPHW
    {0x887600E6u, "Flipping visible surfaces is not supported."},
    // DDERR_NOGDI
    {0x887600F0u, "There is no GDI present."},
    // DDERR_NOMIRRORHW
    {0x887600FAu,
     "Operation could not be carried out because there is no hardware present or available."},
    // DDERR_NOTFOUND
    {0x887600FFu, "Requested item was not found."},
    // DDERR_NOOVERLAYHW
    {0x88760104u,
     "Operation could not be carried out because there is no overlay hardware present or "
     "available."},
    // DDERR_OVERLAPPINGRECTS
    {0x8876010Eu,
     "Operation could not be carried out because the source and destination rectangles are on the "
     "same surface and overlap each other."},
    // DDERR_NORASTEROPHW
    {0x88760118u,
     "Operation could not be carried out because there is no appropriate raster op hardware "
     "present or available."},
    // DDERR_NOROTATIONHW
    {0x88760122u,
     "Operation could not be carried out because there is no rotation hardware present or "
     "available."},
    // DDERR_NOSTRETCHHW
    {0x88760136u,
     "Operation could not be carried out because there is no hardware support for stretching."},
    // DDERR_NOT4BITCOLOR
    {0x8876013Cu,
     "DirectDrawSurface is not in 4 bit color palette and the requested operation requires 4 bit "
     "color palette."},
    // DDERR_NOT4BITCOLORINDEX
    {0x8876013Du,
     "DirectDrawSurface is not in 4 bit color index palette and the requested operation requires 4 "
     "bit color index palette."},
    // DDERR_NOT8BITCOLOR
    {0x88760140u,
     "DirectDrawSurface is not in 8 bit color mode and the requested operation requires 8 bit "
     "color."},
    // DDERR_NOTEXTUREHW
    {0x8876014Au,
     "Operation could not be carried out because there is no texture mapping hardware present or "
     "available."},
    // DDERR_NOVSYNCHW
    {0x8876014Fu,
     "Operation could not be carried out because there is no hardware support for vertical blank "
     "synchronized operations."},
    // DDERR_NOZBUFFERHW
    {0x88760154u,
     "Operation could not be carried out because there is no hardware support for zbuffer "
     "blitting."},
    // DDERR_NOZOVERLAYHW
    {0x8876015Eu,
     "Overlay surfaces could not be z layered based on their BltOrder because the hardware does "
     "not support z layering of overlays."},
    // DDERR_OUTOFCAPS
    {0x88760168u, "The hardware needed for the requested operation has already been allocated."},
    // DDERR_OUTOFVIDEOMEMORY
    {0x8876017Cu, "DirectDraw does not have enough memory to perform the operation."},
    // DDERR_OVERLAYCANTCLIP
    {0x8876017Eu, "The hardware does not support clipped overlays."},
    // DDERR_OVERLAYCOLORKEYONLYONEACTIVE
    {0x88760180u, "Can only have ony color key active at one time for overlays."},
    // DDERR_PALETTEBUSY
    {0x88760183u,
     "Access to this palette is being refused because the palette is already locked by another "
     "thread."},
    // DDERR_COLORKEYNOTSET
    {0x88760190u, "No src color key specified for this operation."},
    // DDERR_SURFACEALREADYATTACHED
    {0x8876019Au, "This surface is already attached to the surface it is being attached to."},
    // DDERR_SURFACEALREADYDEPENDENT
    {0x887601A4u,
     "This surface is already a dependency of the surface it is being made a dependency of."},
    // DDERR_SURFACEBUSY
    {0x887601AEu,
     "Access to this surface is being refused because the surface is already locked by another "
     "thread."},
    // DDERR_SURFACEISOBSCURED
    {0x887601B8u, "Access to surface refused because the surface is obscured."},
    // DDERR_SURFACELOST
    {0x887601C2u,
     "Access to this surface is being refused because the surface memory is gone. The "
     "DirectDrawSurface object representing this surface should have Restore called on it."},
    // DDERR_SURFACENOTATTACHED
    {0x887601CCu, "The requested surface is not attached."},
    // DDERR_TOOBIGHEIGHT
    {0x887601D6u, "Height requested by DirectDraw is too large."},
    // DDERR_TOOBIGSIZE
    {0x887601E0u,
     "Size requested by DirectDraw is too large, but the individual height and width are OK."},
    // DDERR_TOOBIGWIDTH
    {0x887601EAu, "Width requested by DirectDraw is too large."},
    // DDERR_UNSUPPORTEDFORMAT
    {0x887601FEu, "FOURCC format requested is unsupported by DirectDraw."},
    // DDERR_UNSUPPORTEDMASK
    {0x88760208u, "Bitmask in the pixel format requested is unsupported by DirectDraw."},
    // DDERR_INVALIDSTREAM
    {0x88760209u, "The specified stream contains invalid data"},
    // DDERR_VERTICALBLANKINPROGRESS
    {0x88760219u, "Vertical blank is in progress."},
    // DDERR_WASSTILLDRAWING
    {0x8876021Cu,
     "Informs DirectDraw that the previous Blt which is transfering information to or from this "
     "Surface is incomplete."},
    // DDERR_XALIGN
    {0x88760230u, "Rectangle provided was not horizontally aligned on required boundary."},
    // DDERR_INVALIDDIRECTDRAWGUID
    {0x88760231u,
     "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},
    // DDERR_DIRECTDRAWALREADYCREATED
    {0x88760232u,
     "A DirectDraw object representing this driver has already been created for this process."},
    // DDERR_NODIRECTDRAWHW
    {0x88760233u,
     "A hardware-only DirectDraw object creation was attempted but the driver did not support any "
     "hardware."},
    // DDERR_PRIMARYSURFACEALREADYEXISTS
    {0x88760234u, "This process already has created a primary surface."},
    // DDERR_NOEMULATION
    {0x88760235u, "Software emulation not available."},
    // DDERR_REGIONTOOSMALL
    {0x88760236u, "Region passed to Clipper::GetClipList is too small."},
    // DDERR_CLIPPERISUSINGHWND
    {0x88760237u,
     "An attempt was made to set a cliplist for a clipper object that is already monitoring an "
     "hwnd."},
    // DDERR_NOCLIPPERATTACHED
    {0x88760238u, "No clipper object attached to surface object."},
    // DDERR_NOHWND
    {0x88760239u,
     "Clipper notification requires an HWND or no HWND has previously been set as the "
     "CooperativeLevel HWND."},
    // DDERR_HWNDSUBCLASSED
    {0x8876023Au,
     "HWND used by DirectDraw CooperativeLevel has been subclassed, this prevents DirectDraw from "
     "restoring state."},
    // DDERR_HWNDALREADYSET
    {0x8876023Bu,
     "The CooperativeLevel HWND has already been set. It can not be reset while the process has "
     "surfaces or palettes created."},
    // DDERR_NOPALETTEATTACHED
    {0x8876023Cu, "No palette object attached to this surface."},
    // DDERR_NOPALETTEHW
    {0x8876023Du, "No hardware support for 16 or 256 color palettes."},
    // DDERR_BLTFASTCANTCLIP
    {0x8876023Eu,
     " if a clipper object is attached to the source surface passed into a BltFast call."},
    // DDERR_NOBLTHW
    {0x8876023Fu, "No blitter hardware present."},
    // DDERR_NODDROPSHW
    {0x88760240u, "No DirectDraw ROP hardware."},
    // DDERR_OVERLAYNOTVISIBLE
    {0x88760241u, "Returned when GetOverlayPosition is called on a hidden overlay."},
    // DDERR_NOOVERLAYDEST
    {0x88760242u,
     "Returned when GetOverlayPosition is called on an overlay that UpdateOverlay has never been "
     "called on to establish a destination."},
    // DDERR_INVALIDPOSITION
    {0x88760243u,
     "Returned when the position of the overlay on the destination is no longer legal for that "
     "destination."},
    // DDERR_NOTAOVERLAYSURFACE
    {0x88760244u, "Returned when an overlay member is called for a non-overlay surface."},
    // DDERR_EXCLUSIVEMODEALREADYSET
    {0x88760245u,
     "An attempt was made to set the cooperative level when it was already set to exclusive."},
    // DDERR_NOTFLIPPABLE
    {0x88760246u, "An attempt has been made to flip a surface that is not flippable."},
    // DDERR_CANTDUPLICATE
    {0x88760247u,
     "Cannot duplicate primary & 3D surfaces, or surfaces that are implicitly created."},
    // DDERR_NOTLOCKED
    {0x88760248u,
     "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by "
     "this process, has been attempted."},
    // DDERR_CANTCREATEDC
    {0x88760249u, "Windows can not create any more DCs."},
    // DDERR_NODC
    {0x8876024Au, "No DC was ever created for this surface."},
    // DDERR_WRONGMODE
    {0x8876024Bu, "This surface can not be restored because it was created in a different mode."},
    // DDERR_IMPLICITLYCREATED
    {0x8876024Cu, "This surface can not be restored because it is an implicitly created surface."},
    // DDERR_NOTPALETTIZED
    {0x8876024Du, "The surface being used is not a palette-based surface."},
    // DDERR_UNSUPPORTEDMODE
    {0x8876024Eu, "The display is currently in an unsupported mode"},
    // DDERR_NOMIPMAPHW
    {0x8876024Fu,
     "Operation could not be carried out because there is no mip-map texture mapping hardware "
     "present or available."},
    // DDERR_INVALIDSURFACETYPE
    {0x88760250u,
     "The requested action could not be performed because the surface was of the wrong type."},
    // DDERR_NOOPTIMIZEHW
    {0x88760258u,
     "Device does not support optimized surfaces, therefore no video memory optimized surfaces"},
    // DDERR_NOTLOADED
    {0x88760259u, "Surface is an optimized surface, but has not yet been allocated any memory"},
    // DDERR_NOFOCUSWINDOW
    {0x8876025Au,
     "Attempt was made to create or set a device window without first setting the focus window"},
    // DDERR_DCALREADYCREATED
    {0x8876026Cu,
     "A DC has already been returned for this surface. Only one DC can be retrieved per surface."},
    // DDERR_NONONLOCALVIDMEM
    {0x88760276u,
     "An attempt was made to allocate non-local video memory from a device that does not support "
     "non-local video memory."},
    // DDERR_CANTPAGELOCK
    {0x88760280u, "The attempt to page lock a surface failed."},
    // DDERR_CANTPAGEUNLOCK
    {0x88760294u, "The attempt to page unlock a surface failed."},
    // DDERR_NOTPAGELOCKED
    {0x887602A8u, "An attempt was made to page unlock a surface with no outstanding page locks."},
    // DDERR_MOREDATA
    {0x887602B2u, "There is more data available than the specified buffer size could hold"},
    // DDERR_EXPIRED
    {0x887602B3u, "The data has expired and is therefore no longer valid."},
    // DDERR_VIDEONOTACTIVE
    {0x887602B7u, "The video port is not active"},
    // DDERR_DEVICEDOESNTOWNSURFACE
    {0x887602BBu,
     "Surfaces created by one direct draw device cannot be used directly by another direct draw "
     "device."},
};

constexpr bool StrictlyAscending() {
  return std::adjacent_find(std::begin(kTexts), std::end(kTexts),
                            [](const CodeText& a, const CodeText& b) {
                              return a.Code >= b.Code;
                            }) == std::end(kTexts);
}
static_assert(StrictlyAscending(), "the binary search needs the codes sorted and distinct");

}  // namespace

const char* DirectXErrorText(HRESULT Code) {
  // HRESULT is a signed 32-bit type; the table holds the bit patterns.
  const uint32_t key = static_cast<uint32_t>(Code);
  const CodeText* end = std::end(kTexts);
  const CodeText* it = std::lower_bound(std::begin(kTexts), end, key,
                                        [](const CodeText& e, uint32_t k) { return e.Code < k; });
  if (it != end && it->Code == key) return it->Text;
  return "Unrecognized Error";
}

std::span<const CodeText> KnownCodes() {
  return kTexts;
}

}  // namespace DXCommon
