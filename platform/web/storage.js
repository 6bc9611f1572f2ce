// The browser's storage, which a player may refuse (a private window, a site
// blocked from keeping data, a full quota): what it cannot give is null, what
// it cannot keep lasts as long as the page, and the page goes on either way.
export function stored(name) {
  try {
    return localStorage.getItem(name);
  } catch {
    return null;
  }
}

export function keep(name, value) {
  try {
    localStorage.setItem(name, value);
  } catch {
    // Not kept: the next visit goes without it.
  }
}
