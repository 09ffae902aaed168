// What the bridge needs of a HID device's collections, as WebHID describes them: its primary
// usage, and its largest input and output report in the bytes the engine counts (the report-id
// byte included when that direction's reports are numbered). WebHID never counts the id byte:
// `sendReport(id, data)` and the `inputreport` event carry it apart from the data.

// Reports larger than this cannot be real (hidraw moves no more); a length not computable is
// taken as 64 bytes, as the engine takes it.
const MAX_REPORT_BYTES = 16384;
const DEFAULT_REPORT_BYTES = 64;
const APPLICATION_COLLECTION = 1;

function* allCollections(collections) {
  for (const collection of collections ?? []) {
    yield collection;
    yield* allCollections(collection.children);
  }
}

// Usage page and usage of the first application collection (depth first, in descriptor order);
// null when there is none.
export function primaryUsage(collections) {
  for (const collection of allCollections(collections)) {
    if (collection.type === APPLICATION_COLLECTION)
      return { usagePage: collection.usagePage, usage: collection.usage };
  }
  return null;
}

// The largest report of one direction in bytes, the id byte included when any report of that
// direction is numbered; -1 when there is none or it is not a possible size.
function largestReport(reports) {
  const bits = new Map();
  let numbered = false;
  for (const report of reports) {
    const id = report.reportId ?? 0;
    numbered ||= id !== 0;
    let total = bits.get(id) ?? 0;
    for (const item of report.items ?? [])
      total += (item.reportSize ?? 0) * (item.reportCount ?? 0);
    bits.set(id, total);
  }
  let largest = -1;
  for (const total of bits.values())
    largest = Math.max(largest, Math.ceil(total / 8) + (numbered ? 1 : 0));
  return { bytes: largest > MAX_REPORT_BYTES || largest === 0 ? -1 : largest, numbered };
}

// {inputLength, outputLength, inputNumbered, outputNumbered, outputIds}
export function reportLayout(collections) {
  const inputs = [];
  const outputs = [];
  for (const collection of allCollections(collections)) {
    inputs.push(...(collection.inputReports ?? []));
    outputs.push(...(collection.outputReports ?? []));
  }
  const input = largestReport(inputs);
  const output = largestReport(outputs);
  return {
    inputLength: input.bytes > 0 ? input.bytes : DEFAULT_REPORT_BYTES,
    outputLength: output.bytes > 0 ? output.bytes : DEFAULT_REPORT_BYTES,
    inputNumbered: input.numbered,
    outputNumbered: output.numbered,
    outputIds: new Set(outputs.map((report) => report.reportId ?? 0)),
  };
}
