// The console's calls to its server: JSON answers, the session's CSRF token on every POST, and an
// error that carries the server's status and reason.
let csrfToken = '';

export class ApiError extends Error {
  constructor(status, message) {
    super(message);
    this.status = status;
  }
}

export function setCsrfToken(token) {
  csrfToken = token;
}

async function answer(response) {
  let body = {};
  try {
    body = await response.json();
  } catch {
    body = { error: `${response.status} ${response.statusText}` };
  }
  if (!response.ok) {
    throw new ApiError(response.status, body.error || `${response.status} ${response.statusText}`);
  }
  return body;
}

// GET of `path` with the query's non-empty values.
export async function get(path, query = {}) {
  const params = new URLSearchParams();
  for (const [name, value] of Object.entries(query)) {
    if (value !== '' && value !== undefined && value !== null) {
      params.set(name, value);
    }
  }
  const text = params.toString();
  return answer(await fetch(text ? `${path}?${text}` : path, { credentials: 'same-origin' }));
}

export async function post(path, body = {}) {
  return answer(await fetch(path, {
    method: 'POST',
    credentials: 'same-origin',
    headers: { 'Content-Type': 'application/json', 'X-CSRF-Token': csrfToken },
    body: JSON.stringify(body),
  }));
}
