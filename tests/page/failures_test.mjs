// What the page tells the owner when asking the device goes wrong: each
// failure one kind, from the answer it got, with its own sentence.
// Usage: node --test tests/page/failures_test.mjs
import assert from 'node:assert/strict';
import test from 'node:test';
import { ReadFailure, explain, failureOfStatus, failureSentence, failures } from '../../www/failures.js';
import { readListing, readRows, readText } from '../../www/reading.js';

const bytes = (text) => new Uint8Array(Buffer.from(text, 'latin1'));

test('an HTTP status is the failure it stands for', () => {
  const cases = [
    [200, ['/tmp/mnt/sda1'], null],
    [401, ['/tmp/mnt/sda1'], failures.login],
    [403, ['/tmp/mnt/sda1'], failures.forbidden],
    [404, ['/tmp/mnt/sda1'], failures.missing],
    [400, ['/tmp/mnt/sda1'], failures.refused],
    [400, ['/tmp/mnt/caf\xc3\xa9'], failures.refused],      // UTF-8 is taken
    [400, ['/tmp/mnt/\xe9t\xe9'], failures.refused],        // so is Latin-1 without C0, C1, F5 to FF
    [400, ['/tmp/mnt/\xc0'], failures.refusedBytes],
    [400, ['/tmp/mnt/\xc1'], failures.refusedBytes],
    [400, ['/tmp/mnt/\xf4'], failures.refused],
    [400, ['/tmp/mnt/\xf5'], failures.refusedBytes],
    [400, ['CLOUD_GETSTATUS', '/tmp/mnt/f\xfcr'], failures.refusedBytes],
    [500, ['/tmp/mnt/\xff'], failures.noAnswer],
    [502, ['/tmp/mnt/sda1'], failures.noAnswer],
  ];
  for (const [status, values, kind] of cases) {
    assert.equal(failureOfStatus(status, values.map(bytes)), kind, `${status} ${JSON.stringify(values)}`);
  }
});

test('each failure has a sentence of its own', () => {
  const sentences = Object.values(failures).map(failureSentence);
  assert.equal(new Set(sentences).size, sentences.length);
  assert.equal(explain(new ReadFailure(failures.refused)), 'The device refused the request.');
  assert.equal(explain(new TypeError('Failed to fetch')), failureSentence(failures.noAnswer), 'no jargon');
});

// Reads with fetch answering as given: a body (or pieces of one), a
// status, or no connection at all.
async function readWith(answer, read) {
  const realFetch = globalThis.fetch;
  globalThis.fetch = async (url) => {
    if (answer.refuse) throw new TypeError('Failed to fetch');
    const pieces = answer.pieces.map(bytes);
    const body = new ReadableStream({
      pull(controller) {
        if (pieces.length > 0) controller.enqueue(pieces.shift());
        else if (answer.cut) controller.error(new TypeError('network error'));
        else controller.close();
      },
    });
    return new Response(body, { status: answer.status ?? 200 });
  };
  try {
    return await read();
  } catch (error) {
    return error instanceof ReadFailure ? error.kind : error;
  } finally {
    globalThis.fetch = realFetch;
  }
}

test('every reader gives the same failures, as kinds', async () => {
  const rows = () => {
    const got = [];
    return readRows('mount_folders', [['action_mode', bytes('/d\xff')]], { onRows: (r) => got.push(...r) })
      .then(() => got.map((row) => row.map((value) => Buffer.from(value).toString('latin1'))));
  };
  const listing = async () => {
    const names = [];
    const order = await readListing(bytes('/d'), { onBatch: (batch) => names.push(batch) });
    return [...order];
  };
  const text = () => readText('cloud_status', [['action_mode', 'CLOUD_GETCONFIG']]);
  const cases = [
    [{ pieces: ['["a"],["b', '"]'] }, [['a'], ['b']], [0, 1], '["a"],["b"]'],
    [{ refuse: true }, failures.noAnswer, failures.noAnswer, failures.noAnswer],
    [{ status: 400, pieces: [] }, failures.refusedBytes, failures.refused, failures.refused],
    [{ status: 401, pieces: [] }, failures.login, failures.login, failures.login],
    [{ status: 404, pieces: [] }, failures.missing, failures.missing, failures.missing],
    [{ pieces: ['["a"],["b'] }, failures.cut, failures.cut, '["a"],["b'],
    [{ pieces: ['["a"],'], cut: true }, failures.cut, failures.cut, failures.cut],
    [{ pieces: ['<html>'] }, failures.unreadable, failures.unreadable, '<html>'],
  ];
  for (const [answer, fromRows, fromListing, fromText] of cases) {
    const what = JSON.stringify(answer);
    assert.deepEqual(await readWith(answer, rows), fromRows, `rows: ${what}`);
    assert.deepEqual(await readWith(answer, listing), fromListing, `listing: ${what}`);
    assert.deepEqual(await readWith(answer, text), fromText, `text: ${what}`);
  }
});

test('a listing comes in order by name: case and accents folded, numbers by value', async () => {
  const answer = { pieces: ['["IMG_10"],["img_3"],["\xc3\x89dition"],["IMG_2"],["edits"],["b"],["B"]'] };
  const listed = await readWith(answer, async () => {
    const texts = [];
    const order = await readListing(bytes('/d'), {
      onBatch: ({ bytes: all }) => texts.push(...Buffer.from(all).toString('utf8').split('\0').slice(0, -1)),
    });
    return [...order].map((index) => texts[index]);
  });
  assert.deepEqual(listed, ['B', 'b', '\u00c9dition', 'edits', 'IMG_2', 'img_3', 'IMG_10']);
});
