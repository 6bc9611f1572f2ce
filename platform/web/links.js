// A round in a link: compressed (deflate) in the link's fragment, which no
// server sees, written in base64url; a round on today's city names its day
// after it ("&day=2026-12-10"), from its own script.

export const kLinkTag = "#watch=";
export const kDayTag = "&day=";

export function toBase64Url(bytes) {
  let text = "";
  for (let i = 0; i < bytes.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(text).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}

export async function packed(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream("deflate-raw"));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// A stranger's link: at most `limit` bytes come out of it, however much they
// would make; a RangeError past that.
export async function unpacked(code, limit) {
  const text = atob(code.replace(/-/g, "+").replace(/_/g, "/"));
  const bytes = Uint8Array.from(text, (c) => c.charCodeAt(0));
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("deflate-raw"))
    .getReader();
  const parts = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    size += value.length;
    if (size > limit) {
      reader.cancel().catch(() => {});
      throw new RangeError("too large");
    }
    parts.push(value);
  }
  return new Uint8Array(await new Blob(parts).arrayBuffer());
}

// The link to a round's script, on this page.
export async function roundLink(bytes) {
  const day = /\ndaily (\d{4})(\d\d)(\d\d)\n/.exec(new TextDecoder().decode(bytes.subarray(0, 200)));
  return location.origin + location.pathname + kLinkTag + toBase64Url(await packed(bytes)) +
         (day ? `${kDayTag}${day[1]}-${day[2]}-${day[3]}` : "");
}
